// Cool bars (bands of tool bars in rows) and the tool bars in them.
#include <map>

#include "platform/gtk/binding/binder_kinds.h"
#include "platform/gtk/own_icons.h"

namespace pellora::gtk::binding {

namespace {

using ui::ControlKind;

class CoolBarBinder : public Binder {
 public:
  using Binder::Binder;

 protected:
  GtkWidget* build(BindingSite& site) override {
    // Bands sit in rows by their design top.
    GtkWidget* rows = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    std::map<int, GtkWidget*> rowAt;
    for (const auto& bar : control().children()) {
      GtkWidget*& row = rowAt[bar->bounds().top];
      if (!row) {
        row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
        gtk_box_pack_start(GTK_BOX(rows), row, FALSE, FALSE, 0);
        gtk_widget_show(row);
      }
      if (Binder* band = site.bind(*bar); band && band->placed())
        gtk_box_pack_start(GTK_BOX(row), band->placed(), FALSE, FALSE, 0);
    }
    // The last band of a row takes the rest of it.
    for (auto& [top, row] : rowAt) {
      GList* kids = gtk_container_get_children(GTK_CONTAINER(row));
      if (GList* last = g_list_last(kids)) {
        gtk_box_set_child_packing(GTK_BOX(row), GTK_WIDGET(last->data), TRUE, TRUE, 0,
                                  GTK_PACK_START);
      }
      g_list_free(kids);
    }
    setWidget(rows);
    reportAllocation(site, rows);
    return rows;
  }
};

class ToolBarBinder : public Binder {
 public:
  using Binder::Binder;

 protected:
  GtkWidget* build(BindingSite& site) override {
    GtkWidget* toolbar = gtk_toolbar_new();
    gtk_toolbar_set_style(GTK_TOOLBAR(toolbar), GTK_TOOLBAR_ICONS);
    gtk_toolbar_set_icon_size(GTK_TOOLBAR(toolbar), GTK_ICON_SIZE_SMALL_TOOLBAR);
    // Bars do not wrap: buttons that do not fit move to the bar's overflow
    // menu, so the window can be narrower than its tool bars.
    gtk_toolbar_set_show_arrow(GTK_TOOLBAR(toolbar), TRUE);
    registerOwnIcons();
    for (const auto& child : control().children()) {
      if (child->kind() == ControlKind::ToolButton) {
        Binder* button = site.adopt(makeToolButtonBinder(*child));
        gtk_toolbar_insert(GTK_TOOLBAR(toolbar), GTK_TOOL_ITEM(button->placed()), -1);
        continue;
      }
      Binder* bound = site.bind(*child);
      if (!bound || !bound->placed()) continue;
      GtkToolItem* item = gtk_tool_item_new();
      gtk_container_add(GTK_CONTAINER(item), bound->placed());
      gtk_widget_show(bound->placed());
      bound->enterToolBar(item);
      gtk_toolbar_insert(GTK_TOOLBAR(toolbar), item, -1);
      gtk_widget_show(GTK_WIDGET(item));
    }
    setWidget(toolbar);
    return toolbar;
  }
};

}  // namespace

std::unique_ptr<Binder> makeCoolBarBinder(ui::Control& control) {
  return std::make_unique<CoolBarBinder>(control);
}

std::unique_ptr<Binder> makeToolBarBinder(ui::Control& control) {
  return std::make_unique<ToolBarBinder>(control);
}

}  // namespace pellora::gtk::binding
