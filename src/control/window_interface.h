// IPelloraWindow: how a desktop host gets hold of the control's window, the
// part that in-place activation plays in a web page. A host asks the control
// for this interface and packs the widget it returns into its own window.
// The widget is made by the installed platform (which registers a window
// provider); without one, GetWindow fails with E_NOTIMPL.
#pragma once

#include <functional>
#include <memory>

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

// A tear-off object answering IPelloraWindow for `control` (whose container
// form is `container` and whose window reports to `notifications`); it
// holds a reference to the control and answers any other interface through
// it. Returns it with one reference.
IPelloraWindow* createWindowTearOff(com::IUnknown& control, ui::Form& container,
                                    std::weak_ptr<const FormNotifications> notifications);

}  // namespace pellora
