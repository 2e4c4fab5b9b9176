#include <vector>

#include "platform/gtk/binding/binder_kinds.h"
#include "platform/gtk/binding/input_rules.h"
#include "platform/gtk/binding/overflow.h"
#include "platform/gtk/binding/widget_text.h"

namespace pellora::gtk::binding {

namespace {

using ui::Property;

class ComboBinder : public Binder {
 public:
  using Binder::Binder;

  // A list in a tool bar (the styles) overflows as a submenu of its items,
  // built afresh each time the overflow menu opens; choosing one chooses it
  // in the list, as the user would.
  void enterToolBar(GtkToolItem* item) override {
    Binder::enterToolBar(item);
    // Its designed width even while it holds no items (a load that failed),
    // so the tool bar keeps its layout instead of shrinking to an arrow.
    if (const int width = control().bounds().width; width > 0)
      gtk_widget_set_size_request(widget(), width, -1);
    GtkWidget* proxy = gtk_menu_item_new_with_label("");
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(proxy), gtk_menu_new());
    gtk_tool_item_set_proxy_menu_item(item, kOverflowProxyId, proxy);
    proxy_ = retain(proxy);
    connect(item, "create-menu-proxy", G_CALLBACK((guardedCallback<&onCreateProxy, TRUE>)), this);
    follow(Property::Hint);
    follow(Property::Enabled);
  }

 protected:
  GtkWidget* build(BindingSite&) override {
    GtkWidget* combo = gtk_combo_box_text_new();
    setWidget(combo);
    connect(combo, "changed", G_CALLBACK((guardedCallback<&onChanged>)), this);
    return combo;
  }

  void apply(Property property) override {
    Binder::apply(property);
    auto* combo = GTK_COMBO_BOX_TEXT(widget());
    switch (property) {
      case Property::Hint:
        if (proxy_)
          gtk_menu_item_set_label(GTK_MENU_ITEM(proxy_.get()), caption(control().hint()).c_str());
        break;
      case Property::Enabled:
        if (proxy_) gtk_widget_set_sensitive(proxy_.get(), control().enabled());
        break;
      case Property::Items:
        gtk_combo_box_text_remove_all(combo);
        for (const std::string& item : control().items())
          gtk_combo_box_text_append_text(combo, caption(item).c_str());
        gtk_combo_box_set_active(GTK_COMBO_BOX(combo), control().itemIndex());
        break;
      case Property::ItemIndex:
        gtk_combo_box_set_active(GTK_COMBO_BOX(combo), control().itemIndex());
        break;
      default:
        break;
    }
  }

 private:
  static void onChanged(GtkWidget* widget, gpointer data) {
    auto& self = *static_cast<ComboBinder*>(data);
    if (self.following()) return;
    if (scriptResultAwaited()) {
      // Refused: the list shows the model's choice again.
      self.follow(Property::ItemIndex);
      return;
    }
    self.control().setItemIndex(gtk_combo_box_get_active(GTK_COMBO_BOX(widget)));
    // Only the user's choice raises the change handler.
    if (self.control().onChange) self.control().onChange();
  }

  static gboolean onCreateProxy(GtkToolItem* item, gpointer data) {
    auto& self = *static_cast<ComboBinder*>(data);
    const ui::Control& control = self.control();
    GtkWidget* menu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(self.proxy_.get()));
    // The old entries' handlers go before the entries do.
    self.entryConnections_.clear();
    GList* old = gtk_container_get_children(GTK_CONTAINER(menu));
    for (GList* entry = old; entry; entry = entry->next)
      gtk_widget_destroy(GTK_WIDGET(entry->data));
    g_list_free(old);
    GSList* group = nullptr;
    for (std::size_t i = 0; i < control.items().size(); ++i) {
      GtkWidget* entry =
          gtk_radio_menu_item_new_with_label(group, caption(control.items()[i]).c_str());
      group = gtk_radio_menu_item_get_group(GTK_RADIO_MENU_ITEM(entry));
      if (static_cast<int>(i) == control.itemIndex())
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(entry), TRUE);
      g_object_set_data(G_OBJECT(entry), "pellora-index", GINT_TO_POINTER(static_cast<int>(i)));
      // Connected after the state is set: only the user's choice counts.
      self.entryConnections_.emplace_back(entry, "activate",
                                          G_CALLBACK((guardedCallback<&onEntryChosen>)), &self);
      gtk_menu_shell_append(GTK_MENU_SHELL(menu), entry);
      gtk_widget_show(entry);
    }
    gtk_tool_item_set_proxy_menu_item(item, kOverflowProxyId, self.proxy_.get());
    return TRUE;
  }

  static void onEntryChosen(GtkWidget* entry, gpointer data) {
    auto& self = *static_cast<ComboBinder*>(data);
    // Radio entries also activate when they lose their mark.
    if (self.following() || !gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(entry))) return;
    const int index = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(entry), "pellora-index"));
    // The list's own handler takes it from here: refused while a script
    // result is awaited, else the model's choice and its change handler.
    gtk_combo_box_set_active(GTK_COMBO_BOX(self.widget()), index);
  }

  GObjectPtr<GtkWidget> proxy_;
  std::vector<SignalConnection> entryConnections_;
};

}  // namespace

std::unique_ptr<Binder> makeComboBinder(ui::Control& control) {
  return std::make_unique<ComboBinder>(control);
}

}  // namespace pellora::gtk::binding
