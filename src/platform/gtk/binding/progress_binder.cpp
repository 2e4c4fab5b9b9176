#include <algorithm>

#include "platform/gtk/binding/binder_kinds.h"

namespace pellora::gtk::binding {

namespace {

class ProgressBinder : public Binder {
 public:
  using Binder::Binder;

 protected:
  GtkWidget* build(BindingSite&) override {
    GtkWidget* bar = gtk_progress_bar_new();
    setWidget(bar);
    return bar;
  }

  void apply(ui::Property property) override {
    Binder::apply(property);
    if (property != ui::Property::Position) return;
    const ui::Control& c = control();
    const int span = std::max(1, c.maximum() - c.minimum());
    const double fraction = static_cast<double>(c.position() - c.minimum()) / span;
    gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(widget()), std::clamp(fraction, 0.0, 1.0));
  }
};

}  // namespace

std::unique_ptr<Binder> makeProgressBinder(ui::Control& control) {
  return std::make_unique<ProgressBinder>(control);
}

}  // namespace pellora::gtk::binding
