#include "platform/gtk/binding/binder_kinds.h"
#include "platform/gtk/binding/input_rules.h"
#include "platform/gtk/binding/widget_text.h"

namespace pellora::gtk::binding {

namespace {

using ui::Property;

class ButtonBinder : public Binder {
 public:
  using Binder::Binder;

 protected:
  GtkWidget* build(BindingSite& site) override {
    GtkWidget* button = gtk_button_new_with_mnemonic("");
    if (control().isDefault()) {
      gtk_widget_set_can_default(button, TRUE);
      site.setDefaultButton(control());
    }
    if (control().isCancel()) site.setCancelButton(control());
    setWidget(button);
    connect(button, "clicked", G_CALLBACK((guardedCallback<&onClicked>)), this);
    return button;
  }

  void apply(Property property) override {
    Binder::apply(property);
    if (property == Property::Caption)
      gtk_button_set_label(GTK_BUTTON(widget()), mnemonic(control().caption()).c_str());
  }

 private:
  static void onClicked(GtkWidget*, gpointer data) {
    auto& self = *static_cast<ButtonBinder*>(data);
    if (!self.following()) clickUnlessRefused(self.control());
  }
};

}  // namespace

std::unique_ptr<Binder> makeButtonBinder(ui::Control& control) {
  return std::make_unique<ButtonBinder>(control);
}

}  // namespace pellora::gtk::binding
