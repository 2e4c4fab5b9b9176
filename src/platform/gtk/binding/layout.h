// Where children sit in a container that keeps design bounds.
#pragma once

#include <gtk/gtk.h>

#include "ui/control.h"

namespace pellora::gtk::binding {

// Puts `widget` at the design bounds of `child` in `fixed`. Dialogs keep
// their design bounds in pixels at 96 dpi; GTK's own scale factor (the
// desktop's) is the only scaling.
void place(GtkWidget* fixed, const ui::Control& child, GtkWidget* widget);

}  // namespace pellora::gtk::binding
