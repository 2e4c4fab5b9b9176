// Ownership of a widget tree with no parent to destroy it (a form's top
// widget, a popup menu): destroyed, then released, however its owner goes.
#pragma once

#include <gtk/gtk.h>

#include <memory>

namespace pellora::gtk::binding {

struct DestroyWidget {
  void operator()(GtkWidget* widget) const {
    if (!widget) return;
    gtk_widget_destroy(widget);
    g_object_unref(widget);
  }
};

// Holds one reference of a widget and destroys the widget with it.
using WidgetTree = std::unique_ptr<GtkWidget, DestroyWidget>;

// Takes the floating reference of a new widget.
inline WidgetTree ownTree(GtkWidget* widget) {
  return WidgetTree(GTK_WIDGET(g_object_ref_sink(widget)));
}

}  // namespace pellora::gtk::binding
