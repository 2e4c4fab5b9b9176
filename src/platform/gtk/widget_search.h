// Depth-first search of a GTK widget tree. The binding names every widget
// after its model control, so hosts and tests find "btnBold" by name.
#pragma once

#include <gtk/gtk.h>

#include <string>

namespace pellora::gtk {

// The first widget under `root` (itself included) for which `matches` holds.
template <typename Predicate>
GtkWidget* findWidgetIf(GtkWidget* root, Predicate matches) {
  if (!root) return nullptr;
  if (matches(root)) return root;
  if (!GTK_IS_CONTAINER(root)) return nullptr;
  GtkWidget* found = nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(root));
  for (GList* child = children; child && !found; child = child->next) {
    found = findWidgetIf(GTK_WIDGET(child->data), matches);
  }
  g_list_free(children);
  return found;
}

inline GtkWidget* findWidget(GtkWidget* root, const std::string& name) {
  return findWidgetIf(root,
                      [&name](GtkWidget* widget) { return name == gtk_widget_get_name(widget); });
}

}  // namespace pellora::gtk
