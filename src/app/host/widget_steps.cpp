// The editor's own controls as a user works them: buttons, pages, the style
// list and the views' context menus.
#include <cstdio>
#include <cstdlib>

#include "app/host/script_steps.h"
#include "app/host/widget_text.h"
#include "platform/gtk/widget_search.h"

namespace pellora::host {

namespace {

// The context menu on screen, if any.
GtkWidget* openMenu() {
  GList* windows = gtk_window_list_toplevels();
  GtkWidget* menu = nullptr;
  for (GList* w = windows; w && !menu; w = w->next) {
    GtkWidget* window = GTK_WIDGET(w->data);
    if (!gtk_widget_get_mapped(window) ||
        gtk_window_get_window_type(GTK_WINDOW(window)) != GTK_WINDOW_POPUP)
      continue;
    menu = gtk::findWidgetIf(window, [](GtkWidget* widget) {
      return GTK_IS_MENU(widget) && gtk_widget_get_mapped(widget);
    });
  }
  g_list_free(windows);
  return menu;
}

// The view a user works in: the one of the editor page showing.
GtkWidget* activeView(GtkWidget* root) {
  GtkWidget* pages = gtk::findWidget(root, "PageControl");
  const bool html =
      pages && GTK_IS_NOTEBOOK(pages) && gtk_notebook_get_current_page(GTK_NOTEBOOK(pages)) == 1;
  return html ? htmlView(root) : visualView(root);
}

}  // namespace

bool clickStep(StepContext& c, const Words& args) {
  GtkWidget* target = gtk::findWidget(c.window, args[0]);
  if (!target) return why("there is no " + args[0]);
  // The editor enables a button once the page has reported where the caret
  // went, which may still be on its way from the page's process.
  awaitPageReports(c.window);
  if (!gtk_widget_is_sensitive(target)) return why(args[0] + " is disabled");
  if (GTK_IS_TOGGLE_TOOL_BUTTON(target)) {
    auto* toggle = GTK_TOGGLE_TOOL_BUTTON(target);
    gtk_toggle_tool_button_set_active(toggle, !gtk_toggle_tool_button_get_active(toggle));
  } else if (GTK_IS_TOOL_BUTTON(target)) {
    g_signal_emit_by_name(target, "clicked");
  } else if (GTK_IS_BUTTON(target)) {
    gtk_button_clicked(GTK_BUTTON(target));
  } else {
    return why(args[0] + " is not a button");
  }
  settle();
  return true;
}

bool tabStep(StepContext& c, const Words& args) {
  GtkWidget* pages = gtk::findWidget(c.window, "PageControl");
  if (!pages || !GTK_IS_NOTEBOOK(pages)) return why("there are no pages");
  char* end = nullptr;
  const long index = std::strtol(args[0].c_str(), &end, 10);
  if (*end || index < 0 || index >= gtk_notebook_get_n_pages(GTK_NOTEBOOK(pages)))
    return why("there is no page " + args[0]);
  gtk_notebook_set_current_page(GTK_NOTEBOOK(pages), static_cast<int>(index));
  settle();
  if (gtk_notebook_get_current_page(GTK_NOTEBOOK(pages)) != index)
    return why("the editor stayed on its page");
  return true;
}

bool chooseStep(StepContext& c, const Words& args) {
  GtkWidget* list = gtk::findWidget(c.window, args[0]);
  if (!list || !GTK_IS_COMBO_BOX(list)) return why("there is no list " + args[0]);
  if (!gtk_widget_is_sensitive(list)) return why(args[0] + " is disabled");
  GtkTreeModel* model = gtk_combo_box_get_model(GTK_COMBO_BOX(list));
  GtkTreeIter row;
  std::string items;
  int index = 0;
  for (bool more = model && gtk_tree_model_get_iter_first(model, &row); more;
       more = gtk_tree_model_iter_next(model, &row), ++index) {
    gchar* text = nullptr;
    gtk_tree_model_get(model, &row, 0, &text, -1);
    const std::string item = text ? text : "";
    g_free(text);
    if (item == args[1]) {
      gtk_combo_box_set_active(GTK_COMBO_BOX(list), index);
      settle();
      return true;
    }
    items += (items.empty() ? "" : ", ") + item;
  }
  return why(args[0] + " has no item \"" + args[1] + "\"; it offers: " + items);
}

bool menuStep(StepContext& c, const Words& args) {
  GtkWidget* view = activeView(c.window);
  if (!view) return why("there is no view to open a menu in");
  if (GtkWidget* stale = openMenu()) gtk_menu_shell_deactivate(GTK_MENU_SHELL(stale));
  if (!gtk_widget_has_focus(view)) gtk_widget_grab_focus(view);
  settle();
  // The context-menu key: the menu opens at the caret or selection.
  pressKey(c.window, GDK_KEY_Menu, GdkModifierType(0));
  GtkWidget* menu = nullptr;
  if (!runUntil([&menu] { return (menu = openMenu()) != nullptr; }, 10))
    return why("no context menu opened");
  std::string entries;
  GtkWidget* chosen = nullptr;
  bool disabled = false;
  GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
  for (GList* i = items; i; i = i->next) {
    GtkWidget* item = GTK_WIDGET(i->data);
    if (!GTK_IS_MENU_ITEM(item) || GTK_IS_SEPARATOR_MENU_ITEM(item) ||
        !gtk_widget_get_visible(item))
      continue;
    const std::string caption = shownText(item);
    const bool enabled = gtk_widget_is_sensitive(item);
    entries += "\n    " + caption + (enabled ? "" : " (disabled)");
    if (!chosen && sameCaption(caption, args[0])) {
      chosen = item;
      disabled = !enabled;
    }
  }
  g_list_free(items);
  if (!chosen || disabled) {
    gtk_menu_shell_deactivate(GTK_MENU_SHELL(menu));
    settle();
    return why("\"" + args[0] + (chosen ? "\" is disabled" : "\" is not in the menu") +
               "; its entries:" + entries);
  }
  gtk_menu_shell_activate_item(GTK_MENU_SHELL(menu), chosen, TRUE);
  settle();
  return true;
}

}  // namespace pellora::host
