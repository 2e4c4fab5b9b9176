#include "platform/gtk/binding/binder_kinds.h"
#include "platform/gtk/binding/widget_style.h"
#include "platform/gtk/callback_boundary.h"
#include "platform/gtk/gtk_text.h"

namespace pellora::gtk::binding {

namespace {

using ui::Property;

class EditBinder : public Binder {
 public:
  using Binder::Binder;

 protected:
  GtkWidget* build(BindingSite&) override {
    GtkWidget* entry = gtk_entry_new();
    gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
    // No width of its own: the design width counts.
    gtk_entry_set_width_chars(GTK_ENTRY(entry), 0);
    setWidget(entry);
    connect(entry, "changed", G_CALLBACK((guardedCallback<&onChanged>)), this);
    return entry;
  }

  void apply(Property property) override {
    Binder::apply(property);
    GtkEntry* entry = GTK_ENTRY(widget());
    if (property == Property::Text) {
      const std::string text = toWidgetText(control().text());
      if (text != gtk_entry_get_text(entry)) gtk_entry_set_text(entry, text.c_str());
    } else if (property == Property::Color) {
      applyBackground(widget(), control().color());
    }
  }

 private:
  static void onChanged(GtkWidget* widget, gpointer data) {
    auto& self = *static_cast<EditBinder*>(data);
    if (self.following()) return;
    self.control().setText(fromWidgetText(gtk_entry_get_text(GTK_ENTRY(widget))));
    if (self.control().onChange) self.control().onChange();
  }
};

}  // namespace

std::unique_ptr<Binder> makeEditBinder(ui::Control& control) {
  return std::make_unique<EditBinder>(control);
}

}  // namespace pellora::gtk::binding
