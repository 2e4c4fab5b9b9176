#include "platform/gtk/binding/label_room.h"

#include <algorithm>
#include <map>
#include <vector>

namespace pellora::gtk::binding {

namespace {

// Space kept between a label's text and the control it names, once that
// control has to move anyway (a label that just reaches its field keeps
// the design).
constexpr int kGap = 4;
constexpr const char* kDesignX = "pellora-design-x";

struct Child {
  GtkWidget* widget;
  int x, y, width, height;
  bool label;
};

GtkLabel* labelOf(GtkWidget* widget) {
  if (GTK_IS_LABEL(widget)) return GTK_LABEL(widget);
  // A clickable label sits in an event box.
  if (GTK_IS_EVENT_BOX(widget)) {
    GtkWidget* inner = gtk_bin_get_child(GTK_BIN(widget));
    if (inner && GTK_IS_LABEL(inner)) return GTK_LABEL(inner);
  }
  return nullptr;
}

int designX(GtkWidget* fixed, GtkWidget* widget) {
  gpointer kept = g_object_get_data(G_OBJECT(widget), kDesignX);
  if (kept) return GPOINTER_TO_INT(kept) - 1;
  int x = 0;
  gtk_container_child_get(GTK_CONTAINER(fixed), widget, "x", &x, nullptr);
  // Stored plus one, so that 0 is told from "not yet kept".
  g_object_set_data(G_OBJECT(widget), kDesignX, GINT_TO_POINTER(x + 1));
  return x;
}

std::vector<Child> childrenOf(GtkWidget* fixed) {
  std::vector<Child> children;
  GList* list = gtk_container_get_children(GTK_CONTAINER(fixed));
  for (GList* item = list; item; item = item->next) {
    auto* widget = GTK_WIDGET(item->data);
    if (!gtk_widget_get_visible(widget)) continue;
    Child child{widget, designX(fixed, widget), 0, 0, 0, labelOf(widget) != nullptr};
    gtk_container_child_get(GTK_CONTAINER(fixed), widget, "y", &child.y, nullptr);
    gtk_widget_get_size_request(widget, &child.width, &child.height);
    int minimum = 0, natural = 0;
    if (child.label) {
      gtk_widget_get_preferred_width(widget, &minimum, &natural);
      child.width = natural;
    }
    if (child.height <= 0) gtk_widget_get_preferred_height(widget, &minimum, &child.height);
    children.push_back(child);
  }
  g_list_free(list);
  return children;
}

void makeRoomIn(GtkWidget* fixed) {
  const std::vector<Child> children = childrenOf(fixed);
  // The room each column (by its design left) must move right.
  std::map<int, int> shiftAt;
  for (const Child& label : children) {
    if (!label.label) continue;
    for (const Child& field : children) {
      if (field.label || field.x <= label.x) continue;
      const bool sameRow = field.y < label.y + label.height && label.y < field.y + field.height;
      const int overlap = label.x + label.width - field.x;
      if (sameRow && overlap > 0) shiftAt[field.x] = std::max(shiftAt[field.x], overlap + kGap);
    }
  }
  for (const Child& child : children) {
    int shift = 0;
    for (const auto& [column, room] : shiftAt) {
      if (column <= child.x) shift += room;
    }
    gtk_fixed_move(GTK_FIXED(fixed), child.widget, child.x + shift, child.y);
  }
}

void visit(GtkWidget* widget, gpointer) {
  if (GTK_IS_FIXED(widget)) makeRoomIn(widget);
  if (GTK_IS_CONTAINER(widget)) gtk_container_forall(GTK_CONTAINER(widget), visit, nullptr);
}

}  // namespace

void makeRoomForLabels(GtkWidget* root) { visit(root, nullptr); }

}  // namespace pellora::gtk::binding
