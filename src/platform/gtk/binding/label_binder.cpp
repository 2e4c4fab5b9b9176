#include "platform/gtk/binding/binder_kinds.h"
#include "platform/gtk/binding/input_rules.h"
#include "platform/gtk/binding/widget_style.h"
#include "platform/gtk/binding/widget_text.h"
#include "platform/gtk/link_colour.h"

namespace pellora::gtk::binding {

namespace {

using ui::Property;

class LabelBinder : public Binder {
 public:
  using Binder::Binder;

 protected:
  GtkWidget* build(BindingSite&) override {
    GtkWidget* label = gtk_label_new(nullptr);
    switch (control().textAlign()) {
      case ui::TextAlign::Left:
        gtk_label_set_xalign(GTK_LABEL(label), 0);
        break;
      case ui::TextAlign::Center:
        gtk_label_set_xalign(GTK_LABEL(label), 0.5);
        gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_CENTER);
        break;
      case ui::TextAlign::Right:
        gtk_label_set_xalign(GTK_LABEL(label), 1);
        gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_RIGHT);
        break;
    }
    gtk_label_set_yalign(GTK_LABEL(label), 0);
    setWidget(label);
    if (!control().onClick) return label;
    // A clickable label (a link): an event box gives it clicks and the
    // hand cursor, the theme its colour.
    showAsLink(GTK_LABEL(label));
    GtkWidget* box = gtk_event_box_new();
    gtk_container_add(GTK_CONTAINER(box), label);
    gtk_widget_show(label);
    setOuter(box);
    connect(box, "button-press-event", G_CALLBACK((guardedCallback<&onLinkPressed>)), this);
    connect(box, "realize", G_CALLBACK(+[](GtkWidget* w, gpointer) {
              auto hand = adopt(gdk_cursor_new_from_name(gtk_widget_get_display(w), "pointer"));
              gdk_window_set_cursor(gtk_widget_get_window(w), hand.get());
            }),
            nullptr);
    return box;
  }

  void apply(Property property) override {
    Binder::apply(property);
    if (property == Property::Caption)
      gtk_label_set_text(GTK_LABEL(widget()), caption(control().caption()).c_str());
    else if (property == Property::Font)
      applyFont(GTK_LABEL(widget()), shownFont());
  }

 private:
  // A link's colour is the theme's (see showAsLink), whatever the design says.
  ui::Font shownFont() const {
    ui::Font font = control().font();
    if (control().onClick) font.color = ui::clWindowText;
    return font;
  }

  static gboolean onLinkPressed(GtkWidget*, GdkEventButton* event, gpointer data) {
    auto& self = *static_cast<LabelBinder*>(data);
    if (event->button != GDK_BUTTON_PRIMARY || event->type != GDK_BUTTON_PRESS) return FALSE;
    clickUnlessRefused(self.control());
    return TRUE;
  }
};

}  // namespace

std::unique_ptr<Binder> makeLabelBinder(ui::Control& control) {
  return std::make_unique<LabelBinder>(control);
}

}  // namespace pellora::gtk::binding
