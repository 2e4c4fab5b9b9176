// The control's own window: an event box around the control's view that
// turns what reaches the container itself into the form notifications the
// control forwards to its host:
// - Click: a left press and release that no widget inside took;
// - DblClick: a left double press that no widget inside took;
// - KeyPress: a character key that the focused widget inside left
//   unhandled, as its Windows-1252 byte;
// - Activate / Deactivate: the keyboard focus enters or leaves the control
//   within its top-level window;
// - Paint: the window draws.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <optional>

#include "control/window_interface.h"

namespace pellora::gtk {

// Wraps `view` (taken over) in a new floating event box reporting to
// `notifications`; once those are gone the box stays silent.
GtkWidget* createControlWindow(GtkWidget* view,
                               std::weak_ptr<const FormNotifications> notifications);

// The character a key event types, in Windows-1252: printable characters,
// Backspace, Tab, Enter, Escape and Ctrl with a letter; nothing for other
// keys or characters Windows-1252 lacks.
std::optional<char> typedCharacter(const GdkEventKey& event);

}  // namespace pellora::gtk
