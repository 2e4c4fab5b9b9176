#include "platform/gtk/binding/binder_kinds.h"
#include "platform/gtk/binding/widget_text.h"
#include "platform/gtk/callback_boundary.h"

namespace pellora::gtk::binding {

namespace {

using ui::Property;

// Check boxes and radio buttons run their logic on the checked state.
class CheckBinder : public Binder {
 public:
  using Binder::Binder;

 protected:
  GtkWidget* build(BindingSite& site) override {
    GtkWidget* check = nullptr;
    if (control().kind() == ui::ControlKind::RadioButton) {
      // Radio buttons of one parent form one group.
      GtkWidget* group = nullptr;
      for (const auto& sibling : control().parent()->children()) {
        if (sibling.get() == &control()) break;
        if (sibling->kind() == ui::ControlKind::RadioButton)
          group = site.widgetFor(sibling->name());
      }
      check = group ? gtk_radio_button_new_with_mnemonic_from_widget(GTK_RADIO_BUTTON(group), "")
                    : gtk_radio_button_new_with_mnemonic(nullptr, "");
    } else {
      check = gtk_check_button_new_with_mnemonic("");
    }
    setWidget(check);
    connect(check, "toggled", G_CALLBACK((guardedCallback<&onToggled>)), this);
    return check;
  }

  void apply(Property property) override {
    Binder::apply(property);
    if (property == Property::Caption)
      gtk_button_set_label(GTK_BUTTON(widget()), mnemonic(control().caption()).c_str());
    else if (property == Property::Checked)
      gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget()), control().checked());
  }

 private:
  static void onToggled(GtkWidget* widget, gpointer data) {
    auto& self = *static_cast<CheckBinder*>(data);
    if (self.following()) return;
    self.control().setChecked(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget)));
  }
};

}  // namespace

std::unique_ptr<Binder> makeCheckBinder(ui::Control& control) {
  return std::make_unique<CheckBinder>(control);
}

}  // namespace pellora::gtk::binding
