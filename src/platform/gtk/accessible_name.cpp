#include "platform/gtk/accessible_name.h"

namespace pellora::gtk {

void setAccessibleName(GtkWidget* widget, const std::string& utf8) {
  if (!widget) return;
  if (AtkObject* accessible = gtk_widget_get_accessible(widget))
    atk_object_set_name(accessible, utf8.c_str());
  if (GTK_IS_TOOL_BUTTON(widget)) {
    if (GtkWidget* inner = gtk_bin_get_child(GTK_BIN(widget))) setAccessibleName(inner, utf8);
  }
}

}  // namespace pellora::gtk
