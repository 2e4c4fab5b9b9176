// The platform services the editor needs beyond its widget model. Each is an
// interface: platform/gtk implements them for real, tests/support with
// scriptable doubles.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ui/editing_surface.h"
#include "ui/form.h"
#include "ui/message_box.h"

namespace pellora::ui {

class ModalPresenter {
 public:
  virtual ~ModalPresenter() = default;
  // Shows the form modally until it is closed; returns its modal result.
  virtual int showModal(Form& form) = 0;
};

enum class CursorShape { Default, HourGlass };

class ScreenCursor {
 public:
  virtual ~ScreenCursor() = default;
  virtual CursorShape cursor() const = 0;
  virtual void setCursor(CursorShape shape) = 0;
};

// Text clipboard; text is Windows-1252.
class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual void setText(const std::string& text) = 0;
  virtual std::optional<std::string> text() = 0;
};

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens an address with the desktop's handler; false when that failed.
  virtual bool open(const std::string& url) = 0;
};

// Keeps the window alive while the user-interface thread blocks.
class MessagePump {
 public:
  virtual ~MessagePump() = default;
  // Processes every window message that is waiting, then returns.
  virtual void processMessages() = 0;
};

// A one-shot timer on the user-interface thread; destroying it before it
// fires cancels it.
class Timer {
 public:
  virtual ~Timer() = default;
};

class Timers {
 public:
  virtual ~Timers() = default;
  // Runs `action` once, on the user-interface thread, after `delay`.
  virtual std::unique_ptr<Timer> startTimer(std::chrono::milliseconds delay,
                                            std::function<void()> action) = 0;
};

// Decodes image files, so that a file whose first bytes only look like an
// image is not taken for one.
class ImageDecoder {
 public:
  virtual ~ImageDecoder() = default;
  // Whether `bytes` decode whole as an image of the type `mimeType`;
  // nothing when this platform has no decoder for that type.
  virtual std::optional<bool> decodes(std::string_view mimeType, std::string_view bytes) = 0;
};

// Everything a platform supplies.
class Platform {
 public:
  virtual ~Platform() = default;
  virtual MessageBoxes& messageBoxes() = 0;
  virtual ModalPresenter& modal() = 0;
  virtual ScreenCursor& cursor() = 0;
  virtual Clipboard& clipboard() = 0;
  virtual Shell& shell() = 0;
  virtual MessagePump& pump() = 0;
  // A new visual editing surface for an editor form.
  virtual std::unique_ptr<EditingSurface> createEditingSurface() = 0;
  // Timers of the main loop; nullptr on a platform without one (nothing is
  // then done later on its own).
  virtual Timers* timers() { return nullptr; }
  // The image decoder; nullptr on a platform without one (images are then
  // judged by their signature alone).
  virtual ImageDecoder* imageDecoder() { return nullptr; }
};

// The platform of this process. The control is created through its module
// entry points with no arguments, so the host (or a test) installs the
// platform first; without one, `platform()` throws.
Platform& platform();
void setPlatform(Platform* platform);
bool hasPlatform();

}  // namespace pellora::ui
