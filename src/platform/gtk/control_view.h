// The window of a control: a box that shows the editor form bound to GTK
// widgets, with the visual editing surface on the "Editor" page. When the
// control closes the editor (its Close, or a Save the server acknowledged),
// the editor's widgets go and the box stays, empty, as the control's
// container does.
#pragma once

#include <gtk/gtk.h>

#include "ui/form.h"

namespace pellora::gtk {

// A new floating widget for the control whose container form is `container`;
// it binds the process's editor form as it exists now.
GtkWidget* createControlView(ui::Form& container);

}  // namespace pellora::gtk
