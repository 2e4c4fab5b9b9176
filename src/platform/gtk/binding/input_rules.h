// How user input reaches the model. Clicks, choices and page switches start
// commands: while a script result is awaited they are refused
// (callback_boundary.h). Typed text and check marks only set values and
// always reach the model.
#pragma once

#include "platform/gtk/callback_boundary.h"
#include "ui/control.h"

namespace pellora::gtk::binding {

// Clicks `control` unless a command may not start now.
inline void clickUnlessRefused(ui::Control& control) {
  if (!scriptResultAwaited()) control.click();
}

}  // namespace pellora::gtk::binding
