// A popup menu and its items. The menu stands outside the form's widget
// tree: its binder destroys it.
#include "platform/gtk/binding/binder_kinds.h"
#include "platform/gtk/binding/input_rules.h"
#include "platform/gtk/binding/widget_text.h"
#include "platform/gtk/binding/widget_tree.h"

namespace pellora::gtk::binding {

namespace {

using ui::Property;

class PopupMenuBinder : public Binder {
 public:
  using Binder::Binder;

  // Opened by its host, not shown with the form.
  bool followsOnBuild() const override { return false; }

 protected:
  GtkWidget* build(BindingSite& site) override {
    menu_ = ownTree(gtk_menu_new());
    setWidget(menu_.get());
    for (const auto& child : control().children()) {
      Binder* item = site.adopt(makeMenuItemBinder(*child));
      gtk_menu_shell_append(GTK_MENU_SHELL(menu_.get()), item->widget());
    }
    return nullptr;
  }

 private:
  WidgetTree menu_;
};

class MenuItemBinder : public Binder {
 public:
  using Binder::Binder;

  bool followsOnBuild() const override { return !separator(); }

 protected:
  GtkWidget* build(BindingSite&) override {
    GtkWidget* item =
        separator() ? gtk_separator_menu_item_new() : gtk_menu_item_new_with_mnemonic("");
    gtk_widget_show(item);
    setWidget(item);
    if (!separator()) connect(item, "activate", G_CALLBACK((guardedCallback<&onActivate>)), this);
    return item;
  }

  void apply(Property property) override {
    Binder::apply(property);
    if (property == Property::Caption)
      gtk_menu_item_set_label(GTK_MENU_ITEM(widget()), mnemonic(control().caption()).c_str());
  }

 private:
  bool separator() const { return control().caption() == "-"; }

  static void onActivate(GtkWidget*, gpointer data) {
    auto& self = *static_cast<MenuItemBinder*>(data);
    if (!self.following()) clickUnlessRefused(self.control());
  }
};

}  // namespace

std::unique_ptr<Binder> makePopupMenuBinder(ui::Control& control) {
  return std::make_unique<PopupMenuBinder>(control);
}

std::unique_ptr<Binder> makeMenuItemBinder(ui::Control& control) {
  return std::make_unique<MenuItemBinder>(control);
}

}  // namespace pellora::gtk::binding
