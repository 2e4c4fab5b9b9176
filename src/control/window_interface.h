// IPelloraWindow: how a desktop host gets hold of the control's window, the
// part that in-place activation plays in a web page. A host asks the control
// for this interface and packs the widget it returns into its own window.
// The widget is made by the installed platform (which registers a window
// provider); without one, GetWindow fails with E_NOTIMPL.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "control/com/com_types.h"
#include "control/com/unknown.h"
#include "ui/form.h"

namespace pellora {

// {6E2B8A51-0C4D-4F7A-9B3E-2A41D5C7E019}
inline constexpr com::IID IID_IPelloraWindow{
    0x6E2B8A51, 0x0C4D, 0x4F7A, {0x9B, 0x3E, 0x2A, 0x41, 0xD5, 0xC7, 0xE0, 0x19}};

class IPelloraWindow : public com::IUnknown {
 public:
  // The control's top widget (a GtkWidget* on GTK), a new floating
  // reference that the host's container takes over. The editor inside it
  // goes away by itself when the control closes the editor.
  virtual com::HRESULT GetWindow(void** widget) = 0;

 protected:
  ~IPelloraWindow() = default;
};

// {3F0C9D27-5B81-4E6A-A2D4-7C18E95B3A60}
inline constexpr com::IID IID_IPelloraWindow2{
    0x3F0C9D27, 0x5B81, 0x4E6A, {0xA2, 0xD4, 0x7C, 0x18, 0xE9, 0x5B, 0x3A, 0x60}};

// Flags of IPelloraWindow2::GetDocumentState.
enum PelloraDocumentFlags : std::int32_t {
  pdfEditorOpen = 1,  // the editor exists: neither closed nor saved and closed
  pdfModified = 2,    // it holds edits the server has not stored
  pdfSaved = 4,       // it was closed by a save the server acknowledged
  pdfLoadFailed = 8,  // its last load failed: it does not show the stored item
};

// What a desktop window around the control shows of the document: the
// item's name in its title, unsaved edits before it closes, and what
// became of the editor. A host that only packs the widget keeps to
// IPelloraWindow.
class IPelloraWindow2 : public IPelloraWindow {
 public:
  // The Content parameter as the control holds it.
  virtual com::HRESULT GetContentName(com::BSTR* name) = 0;
  // The interface language: "DE" for German, anything else English.
  virtual com::HRESULT GetLanguage(com::BSTR* code) = 0;
  // A combination of PelloraDocumentFlags.
  virtual com::HRESULT GetDocumentState(std::int32_t* flags) = 0;
  // `changed(context)` runs on the user-interface thread whenever the
  // document's state may have changed: an edit, a caret move, a load, a
  // save, a close. It may read the state but must not call the control's
  // methods there. One handler per control; nullptr removes it.
  virtual com::HRESULT SetStateHandler(void (*changed)(void* context), void* context) = 0;

 protected:
  ~IPelloraWindow2() = default;
};

// What the control answers through IPelloraWindow2, and the host's handler;
// owned by the control, held weakly by its tear-offs.
struct DocumentStatus {
  std::function<std::string()> contentName;  // Windows-1252
  std::function<std::string()> language;
  std::function<std::int32_t()> flags;
  void (*handler)(void* context) = nullptr;
  void* handlerContext = nullptr;
  void changed() const {
    if (handler) handler(handlerContext);
  }
};

// What the control's window reports of the container form itself: the
// form notifications that the control forwards to the host's event sink.
// The window holds them weakly, since a host may keep the widget after it
// released the control.
struct FormNotifications {
  std::function<void()> activate;
  std::function<void()> click;
  std::function<void()> dblClick;
  std::function<void()> deactivate;
  std::function<void()> paint;
  // A character key in Windows-1252; the handler may replace it.
  std::function<void(char& key)> keyPress;
};

// Makes the native widget for a control's container form; nullptr when it
// cannot. Installed by the platform.
using WindowProvider =
    std::function<void*(ui::Form& container, std::weak_ptr<const FormNotifications> notifications)>;
void setWindowProvider(WindowProvider provider);

// A tear-off object answering IPelloraWindow and IPelloraWindow2 for
// `control` (whose container form is `container`, whose window reports to
// `notifications` and whose document state is `status`); it holds a
// reference to the control and answers any other interface through it.
// Without `status`, IPelloraWindow2's members fail with E_NOTIMPL. Returns
// it with one reference.
IPelloraWindow2* createWindowTearOff(com::IUnknown& control, ui::Form& container,
                                     std::weak_ptr<const FormNotifications> notifications,
                                     std::weak_ptr<DocumentStatus> status = {});

}  // namespace pellora
