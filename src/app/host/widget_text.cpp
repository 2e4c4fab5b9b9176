#include "app/host/widget_text.h"

#include "platform/gtk/widget_search.h"

namespace pellora::host {

namespace {

std::string plain(const std::string& caption) {
  std::string out;
  for (char c : caption)
    if (c != '_' && c != '&') out += c;
  while (!out.empty() && (out.back() == ':' || out.back() == ' ')) out.pop_back();
  return out;
}

}  // namespace

bool sameCaption(const std::string& shown, const std::string& wanted) {
  return plain(shown) == plain(wanted);
}

std::string shownText(GtkWidget* widget) {
  if (GTK_IS_LABEL(widget)) return gtk_label_get_text(GTK_LABEL(widget));
  GtkWidget* label =
      gtk::findWidgetIf(widget, [](GtkWidget* inner) { return GTK_IS_LABEL(inner); });
  return label ? gtk_label_get_text(GTK_LABEL(label)) : std::string();
}

GtkWidget* fieldLabelled(GtkWidget* root, const std::string& label) {
  GtkWidget* shown = gtk::findWidgetIf(root, [&label](GtkWidget* widget) {
    return GTK_IS_LABEL(widget) && sameCaption(gtk_label_get_text(GTK_LABEL(widget)), label);
  });
  if (!shown) return nullptr;
  if (GtkWidget* target = gtk_label_get_mnemonic_widget(GTK_LABEL(shown))) return target;
  GtkWidget* parent = gtk_widget_get_parent(shown);
  if (GTK_IS_GRID(parent)) {
    int left = 0, top = 0;
    gtk_container_child_get(GTK_CONTAINER(parent), shown, "left-attach", &left, "top-attach", &top,
                            nullptr);
    return gtk_grid_get_child_at(GTK_GRID(parent), left + 1, top);
  }
  if (!GTK_IS_CONTAINER(parent)) return nullptr;
  GtkWidget* field = nullptr;
  bool after = false;
  GList* children = gtk_container_get_children(GTK_CONTAINER(parent));
  for (GList* child = children; child && !field; child = child->next) {
    GtkWidget* widget = GTK_WIDGET(child->data);
    if (widget == shown)
      after = true;
    else if (after && GTK_IS_ENTRY(widget))
      field = widget;
  }
  g_list_free(children);
  return field;
}

}  // namespace pellora::host
