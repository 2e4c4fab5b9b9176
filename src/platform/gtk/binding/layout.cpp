#include "platform/gtk/binding/layout.h"

namespace pellora::gtk::binding {

void place(GtkWidget* fixed, const ui::Control& child, GtkWidget* widget) {
  const ui::Bounds& b = child.bounds();
  gtk_fixed_put(GTK_FIXED(fixed), widget, b.left, b.top);
  if (b.width > 0 && b.height > 0) gtk_widget_set_size_request(widget, b.width, b.height);
}

}  // namespace pellora::gtk::binding
