// The two editors of the form: the HTML view (a GtkSourceView) and the
// visual editing surface, which its host supplies.
#include "platform/gtk/binding/binder_kinds.h"
#include "platform/gtk/binding/widget_style.h"
#include "platform/gtk/binding/widget_text.h"
#include "platform/gtk/source_view.h"

namespace pellora::gtk::binding {

namespace {

using ui::Property;

class SourceEditorBinder : public Binder {
 public:
  using Binder::Binder;

 protected:
  GtkWidget* build(BindingSite& site) override {
    source_ = std::make_unique<SourceViewBinding>(
        control(), [&site](const GdkEvent* event) { site.popupFormMenu(event); });
    setWidget(GTK_WIDGET(source_->view()));
    setOuter(source_->widget());
    return source_->widget();
  }

  void apply(Property property) override {
    Binder::apply(property);
    if (property == Property::Text || property == Property::Selection) source_->apply(property);
  }

 private:
  std::unique_ptr<SourceViewBinding> source_;
};

// Without a surface from the host a placeholder label stands there.
class VisualEditorBinder : public Binder {
 public:
  using Binder::Binder;

 protected:
  GtkWidget* build(BindingSite& site) override {
    GtkWidget* view = site.visualEditor(control());
    if (!view) view = gtk_label_new("");
    setWidget(view);
    return view;
  }

  void apply(Property property) override {
    Binder::apply(property);
    if (!GTK_IS_LABEL(widget())) return;
    if (property == Property::Caption)
      gtk_label_set_text(GTK_LABEL(widget()), caption(control().caption()).c_str());
    else if (property == Property::Font)
      applyFont(GTK_LABEL(widget()), control().font());
  }
};

}  // namespace

std::unique_ptr<Binder> makeSourceEditorBinder(ui::Control& control) {
  return std::make_unique<SourceEditorBinder>(control);
}

std::unique_ptr<Binder> makeVisualEditorBinder(ui::Control& control) {
  return std::make_unique<VisualEditorBinder>(control);
}

}  // namespace pellora::gtk::binding
