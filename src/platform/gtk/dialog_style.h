// The look of a modal dialog: its design font on every control, and edit
// fields, buttons, check boxes and lists no larger than their design
// bounds (the desktop theme's minimum sizes and paddings would push them
// over their neighbours).
#pragma once

#include <gtk/gtk.h>

#include "ui/control.h"

namespace pellora::gtk {

// Styles `root` and everything below it, internal children included.
void styleDialog(GtkWidget* root, const ui::Font& font);

}  // namespace pellora::gtk
