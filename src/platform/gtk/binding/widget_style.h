// The design's fonts and colours on GTK widgets.
#pragma once

#include <gtk/gtk.h>

#include "ui/control.h"

namespace pellora::gtk::binding {

// A label in the control's font: weight, slant, underline, colour, and the
// size when it is above the design default.
void applyFont(GtkLabel* label, const ui::Font& font);

// The background of an edit field.
void applyBackground(GtkWidget* entry, ui::Color colour);

}  // namespace pellora::gtk::binding
