// The platform services on GTK 3: message boxes as message dialogs, forms
// shown modally as dialog windows on a nested main loop, the wait cursor on
// every window, the desktop clipboard, the desktop's URL handler, the main
// loop's pending events as the message pump, and the WebKitGTK editing
// surface. Installing it also lets a control hand its window to a host
// (control/window_interface.h).
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gtk/message_box_gtk.h"
#include "platform/gtk/pixbuf_image_decoder.h"
#include "ui/services.h"

namespace pellora::gtk {

// Makes a new editing surface. The form's view shows the widget of one that
// is also a SurfaceWidget (surface_widget.h); any other has no visual view.
using SurfaceFactory = std::function<std::unique_ptr<ui::EditingSurface>()>;

// The WebKitGTK surface.
std::unique_ptr<ui::EditingSurface> createWebKitSurface();

class GtkPlatform final : public ui::Platform,
                          ui::ModalPresenter,
                          ui::ScreenCursor,
                          ui::Clipboard,
                          ui::Shell,
                          ui::MessagePump,
                          ui::Timers {
 public:
  // GTK must be initialised. `surfaces` makes the visual surfaces (tests
  // give a light one).
  explicit GtkPlatform(SurfaceFactory surfaces = createWebKitSurface);
  ~GtkPlatform() override;

  // Initialises GTK when a display is available; false without one.
  static bool initialise();

  ui::MessageBoxes& messageBoxes() override { return messages_; }
  ui::ModalPresenter& modal() override { return *this; }
  ui::ScreenCursor& cursor() override { return *this; }
  ui::Clipboard& clipboard() override { return *this; }
  ui::Shell& shell() override { return *this; }
  ui::MessagePump& pump() override { return *this; }
  std::unique_ptr<ui::EditingSurface> createEditingSurface() override;
  ui::Timers* timers() override { return this; }
  ui::ImageDecoder* imageDecoder() override { return &images_; }

  int showModal(ui::Form& form) override;
  ui::CursorShape cursor() const override { return cursor_; }
  void setCursor(ui::CursorShape shape) override;
  void setText(const std::string& text) override;
  std::optional<std::string> text() override;
  bool open(const std::string& url) override;
  void processMessages() override;
  std::unique_ptr<ui::Timer> startTimer(std::chrono::milliseconds delay,
                                        std::function<void()> action) override;

  // The window dialogs and boxes stand over: the innermost modal dialog,
  // else the window that has the focus, else any visible window.
  GtkWindow* ownerWindow() const;

 private:
  SurfaceFactory surfaces_;
  GtkMessageBoxes messages_;
  PixbufImageDecoder images_;
  ui::CursorShape cursor_ = ui::CursorShape::Default;
  std::vector<GtkWindow*> modalStack_;
};

}  // namespace pellora::gtk
