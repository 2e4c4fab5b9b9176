// Room for labels whose text is longer than the design left for it (German
// captions are): where a label's text would reach a control to its right in
// the same row, that control and everything right of it in the container
// move right by the difference, and the dialog grows. A form whose labels
// fit keeps its design bounds exactly.
#pragma once

#include <gtk/gtk.h>

namespace pellora::gtk::binding {

// Applies to every container of `root` that keeps design bounds; starts
// from the design positions each time, so it may run again after the
// captions changed.
void makeRoomForLabels(GtkWidget* root);

}  // namespace pellora::gtk::binding
