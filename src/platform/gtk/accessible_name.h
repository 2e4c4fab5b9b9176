// The names assistive technologies (screen readers) announce for our
// widgets: a tool button by its hint, not by its internal name, and a view
// by the page it fills.
// Covered by tests/platform/gtk/accessible_names_test.cpp.
#pragma once

#include <gtk/gtk.h>

#include <string>

namespace pellora::gtk {

// Names `widget` (UTF-8). A tool button's inner button, which takes the
// focus and is what a screen reader reads, gets the name too.
void setAccessibleName(GtkWidget* widget, const std::string& utf8);

}  // namespace pellora::gtk
