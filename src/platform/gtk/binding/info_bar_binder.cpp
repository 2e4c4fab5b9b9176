// Notices across a form (GtkInfoBar): the caption is the message, wrapped
// to the bar's width; the child buttons stand at its end.
#include "platform/gtk/binding/binder_kinds.h"
#include "platform/gtk/binding/widget_text.h"

namespace pellora::gtk::binding {

namespace {

using ui::Property;

class InfoBarBinder : public Binder {
 public:
  using Binder::Binder;

 protected:
  GtkWidget* build(BindingSite& site) override {
    GtkWidget* bar = gtk_info_bar_new();
    gtk_info_bar_set_message_type(GTK_INFO_BAR(bar), GTK_MESSAGE_WARNING);
    message_ = gtk_label_new(nullptr);
    gtk_label_set_xalign(GTK_LABEL(message_), 0);
    gtk_label_set_line_wrap(GTK_LABEL(message_), TRUE);
    gtk_label_set_selectable(GTK_LABEL(message_), TRUE);
    gtk_container_add(GTK_CONTAINER(gtk_info_bar_get_content_area(GTK_INFO_BAR(bar))), message_);
    gtk_widget_show(message_);
    for (const auto& child : control().children()) {
      Binder* bound = site.bind(*child);
      if (bound && bound->placed()) {
        // Their own handlers act; the bar's response is not used.
        gtk_info_bar_add_action_widget(GTK_INFO_BAR(bar), bound->placed(), GTK_RESPONSE_NONE);
      }
    }
    setWidget(bar);
    return bar;
  }

  void apply(Property property) override {
    Binder::apply(property);
    if (property == Property::Caption)
      gtk_label_set_text(GTK_LABEL(message_), caption(control().caption()).c_str());
  }

 private:
  GtkWidget* message_ = nullptr;  // owned by the bar
};

}  // namespace

std::unique_ptr<Binder> makeInfoBarBinder(ui::Control& control) {
  return std::make_unique<InfoBarBinder>(control);
}

}  // namespace pellora::gtk::binding
