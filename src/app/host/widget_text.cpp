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

std::string plainCaption(const std::string& caption) {
  std::string out;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    // "__" stands for one "_" shown.
    if (caption[i] == '_' && !(i + 1 < caption.size() && caption[i + 1] == '_')) continue;
    if (caption[i] == '_') ++i;
    out += caption[i];
  }
  return out;
}

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
  // Elsewhere the field is the nearest entry to the label's right on its
  // row, as the eye pairs them.
  GtkAllocation at;
  gtk_widget_get_allocation(shown, &at);
  GtkWidget* field = nullptr;
  int best = G_MAXINT;
  gtk::findWidgetIf(root, [&](GtkWidget* widget) {
    if (!GTK_IS_ENTRY(widget) || !gtk_widget_get_mapped(widget)) return false;
    GtkAllocation entry;
    gtk_widget_get_allocation(widget, &entry);
    int x = 0, y = 0;
    gtk_widget_translate_coordinates(widget, shown, 0, 0, &x, &y);
    const bool sameRow = y < at.height && y + entry.height > 0;
    if (sameRow && x >= 0 && x < best) {
      best = x;
      field = widget;
    }
    return false;
  });
  return field;
}

}  // namespace pellora::host
