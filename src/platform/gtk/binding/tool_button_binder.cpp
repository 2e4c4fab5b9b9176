#include "platform/gtk/binding/binder_kinds.h"
#include "platform/gtk/binding/input_rules.h"
#include "platform/gtk/binding/overflow.h"
#include "platform/gtk/binding/widget_text.h"

namespace pellora::gtk::binding {

namespace {

using ui::Property;
using ui::ToolButtonStyle;

// A tool button, or a separator between them. The button is named for
// screen readers by its hint (see the base's Hint), not by its internal
// name, which GTK would otherwise show in the overflow menu.
class ToolButtonBinder : public Binder {
 public:
  using Binder::Binder;

  // Separators follow changes only, as they show nothing of the model.
  bool followsOnBuild() const override { return !separator(); }

 protected:
  GtkWidget* build(BindingSite&) override {
    GtkToolItem* item = nullptr;
    switch (control().toolStyle()) {
      case ToolButtonStyle::Separator:
        item = gtk_separator_tool_item_new();
        break;
      case ToolButtonStyle::Check:
      case ToolButtonStyle::Group:
        item = gtk_toggle_tool_button_new();
        break;
      case ToolButtonStyle::Button:
        item = gtk_tool_button_new(nullptr, nullptr);
        break;
    }
    GtkWidget* widget = GTK_WIDGET(item);
    setWidget(widget);
    if (separator()) {
      gtk_widget_show(widget);
      return widget;
    }
    gtk_tool_button_set_icon_name(GTK_TOOL_BUTTON(item), control().icon().c_str());
    gtk_tool_button_set_label(GTK_TOOL_BUTTON(item), control().name().c_str());
    // Shown or hidden as the model says, once every property follows.
    connect(item, toggles() ? "toggled" : "clicked", G_CALLBACK((guardedCallback<&onClicked>)),
            this);
    addOverflowProxy(item);
    return widget;
  }

  void apply(Property property) override {
    Binder::apply(property);
    if (!proxy_) return;
    switch (property) {
      case Property::Hint:
        gtk_menu_item_set_label(GTK_MENU_ITEM(proxy_.get()), caption(control().hint()).c_str());
        break;
      case Property::Enabled:
        gtk_widget_set_sensitive(proxy_.get(), control().enabled());
        break;
      case Property::Down:
        if (toggles()) {
          gtk_toggle_tool_button_set_active(GTK_TOGGLE_TOOL_BUTTON(widget()), control().down());
          gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(proxy_.get()), control().down());
        }
        break;
      default:
        break;
    }
  }

 private:
  bool separator() const { return control().toolStyle() == ToolButtonStyle::Separator; }
  bool toggles() const {
    return control().toolStyle() == ToolButtonStyle::Check ||
           control().toolStyle() == ToolButtonStyle::Group;
  }

  // The entry stands for the button in the overflow menu: labelled with the
  // button's hint, checked and enabled as the button is, and choosing it
  // clicks the button in the model.
  void addOverflowProxy(GtkToolItem* item) {
    GtkWidget* proxy = nullptr;
    if (toggles()) {
      proxy = gtk_check_menu_item_new_with_label("");
      gtk_check_menu_item_set_draw_as_radio(GTK_CHECK_MENU_ITEM(proxy),
                                            control().toolStyle() == ToolButtonStyle::Group);
    } else {
      proxy = gtk_menu_item_new_with_label("");
    }
    gtk_tool_item_set_proxy_menu_item(item, kOverflowProxyId, proxy);
    proxy_ = retain(proxy);
    connect(proxy, "activate", G_CALLBACK((guardedCallback<&onProxyActivate>)), this);
    // The button's own default would replace the entry with one labelled
    // by the button's internal name.
    connect(item, "create-menu-proxy", G_CALLBACK((guardedCallback<&onCreateProxy, TRUE>)), this);
  }

  static void onClicked(GtkWidget*, gpointer data) {
    auto& self = *static_cast<ToolButtonBinder*>(data);
    if (self.following()) return;
    if (!self.toggles()) {
      clickUnlessRefused(self.control());
      return;
    }
    // The model decides the toggle's state; the widget follows it afterwards,
    // after a refused or failed click too. A tool button's click never closes
    // its form, so the binder is still here.
    struct Follow {
      ToolButtonBinder& self;
      ~Follow() { self.follow(Property::Down); }
    } follow{self};
    clickUnlessRefused(self.control());
  }

  static void onProxyActivate(GtkWidget*, gpointer data) {
    auto& self = *static_cast<ToolButtonBinder*>(data);
    if (!self.following()) onClicked(self.widget(), data);
  }

  static gboolean onCreateProxy(GtkToolItem* item, gpointer data) {
    auto& self = *static_cast<ToolButtonBinder*>(data);
    gtk_tool_item_set_proxy_menu_item(item, kOverflowProxyId, self.proxy_.get());
    return TRUE;
  }

  GObjectPtr<GtkWidget> proxy_;
};

}  // namespace

std::unique_ptr<Binder> makeToolButtonBinder(ui::Control& control) {
  return std::make_unique<ToolButtonBinder>(control);
}

}  // namespace pellora::gtk::binding
