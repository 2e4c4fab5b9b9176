#include "platform/gtk/binding/tab_order.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace pellora::gtk::binding {

namespace {

bool inside(GtkWidget* widget, GtkWidget* area) {
  return widget && (widget == area || gtk_widget_is_ancestor(widget, area));
}

// Tab passes over a control that is no tab stop, but never over one that
// holds others: their stops are their own.
bool reachedByTab(const ui::Control& control) {
  return control.tabStop() || !control.children().empty();
}

// Without a tab order: after every control that has one.
int rank(const ui::Control* control) {
  return control->tabOrder() < 0 ? INT_MAX : control->tabOrder();
}

// The children of `container` as Tab reaches them: those with a tab order
// by it, then the rest as they were created.
std::vector<const ui::Control*> inTabOrder(const ui::Control& container) {
  std::vector<const ui::Control*> order;
  for (const auto& child : container.children()) order.push_back(child.get());
  std::stable_sort(order.begin(), order.end(),
                   [](const ui::Control* a, const ui::Control* b) { return rank(a) < rank(b); });
  return order;
}

}  // namespace

bool ordersItsChildren(const ui::Control& container) {
  return std::any_of(container.children().begin(), container.children().end(),
                     [](const auto& child) { return child->tabOrder() >= 0; });
}

bool moveFocusInTabOrder(const BindingSite& site, const ui::Control& container, GtkWidget* holder,
                         GtkDirectionType direction) {
  GtkWidget* top = gtk_widget_get_toplevel(holder);
  GtkWidget* focus = GTK_IS_WINDOW(top) ? gtk_window_get_focus(GTK_WINDOW(top)) : nullptr;
  // The children's widgets in the order Tab walks them; the one holding the
  // focus counts even when Tab would pass it over (it was clicked).
  std::vector<GtkWidget*> stops;
  std::ptrdiff_t current = -1;
  for (const ui::Control* child : inTabOrder(container)) {
    const Binder* bound = site.binderFor(child->name());
    GtkWidget* placed = bound ? bound->placed() : nullptr;
    if (!placed) continue;
    if (inside(focus, placed)) {
      current = static_cast<std::ptrdiff_t>(stops.size());
      stops.push_back(placed);
    } else if (reachedByTab(*child)) {
      stops.push_back(placed);
    }
  }
  if (direction == GTK_DIR_TAB_BACKWARD) {
    std::reverse(stops.begin(), stops.end());
    if (current >= 0) current = static_cast<std::ptrdiff_t>(stops.size()) - 1 - current;
  }
  // From the focused child (which may move on inside itself) to the end;
  // hidden ones, and pages not shown, take no focus.
  for (std::size_t i = current >= 0 ? static_cast<std::size_t>(current) : 0; i < stops.size();
       ++i) {
    const bool focused = static_cast<std::ptrdiff_t>(i) == current;
    if (!focused && !gtk_widget_is_drawable(stops[i])) continue;
    if (gtk_widget_child_focus(stops[i], direction)) return true;
  }
  return false;
}

bool focusFirstInTabOrder(GtkWidget* top) {
  GtkWidget* window = gtk_widget_get_toplevel(top);
  if (!GTK_IS_WINDOW(window)) return false;
  GtkWidget* before = gtk_window_get_focus(GTK_WINDOW(window));
  // As the window does when Tab wraps around: no focus anywhere, so the walk
  // starts at the beginning.
  for (GtkWidget* up = before ? gtk_widget_get_parent(before) : nullptr; up;
       up = gtk_widget_get_parent(up)) {
    gtk_container_set_focus_child(GTK_CONTAINER(up), nullptr);
  }
  gtk_window_set_focus(GTK_WINDOW(window), nullptr);
  if (gtk_widget_child_focus(top, GTK_DIR_TAB_FORWARD)) return true;
  if (before) gtk_widget_grab_focus(before);
  return false;
}

}  // namespace pellora::gtk::binding
