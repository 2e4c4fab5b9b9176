// Covered by tests/platform/gtk/form_binding_test.cpp and
// tests/platform/gtk/binder_kinds_test.cpp.
#include "platform/gtk/form_binding.h"

#include <map>
#include <vector>

#include "platform/gtk/binding/binder.h"
#include "platform/gtk/binding/binder_table.h"
#include "platform/gtk/binding/tab_order.h"
#include "platform/gtk/callback_boundary.h"

namespace pellora::gtk {

using binding::Binder;
using ui::Control;
using ui::ControlKind;

// Every binder of the form, registered by its control's name.
class FormBinding::Site : public binding::BindingSite {
 public:
  explicit Site(FormBinding& owner) : owner_(owner) {}

  Binder* bind(Control& control) override { return adopt(binding::makeBinder(control)); }

  Binder* adopt(std::unique_ptr<Binder> binder) override {
    if (!binder) return nullptr;
    Binder& bound = *binder;
    binders_.push_back(std::move(binder));
    bound.buildIn(*this);
    byName_[bound.control().name()] = &bound;
    bound.attach();
    if (bound.followsOnBuild()) bound.followAll();
    return &bound;
  }

  Binder* binderFor(const std::string& name) const override {
    auto found = byName_.find(name);
    return found == byName_.end() ? nullptr : found->second;
  }

  GtkWidget* widgetFor(const std::string& name) const override {
    const Binder* bound = binderFor(name);
    return bound ? bound->widget() : nullptr;
  }

  GtkWidget* top() const override { return owner_.top_.get(); }

  GtkWidget* visualEditor(Control& control) override {
    return owner_.hooks_.visualEditor ? owner_.hooks_.visualEditor(control) : nullptr;
  }

  void setDefaultButton(Control& button) override { owner_.defaultButton_ = &button; }
  void setCancelButton(Control& button) override { owner_.cancelButton_ = &button; }

  void popupFormMenu(const GdkEvent* trigger) override {
    for (const auto& child : owner_.form_.children()) {
      if (child->kind() == ControlKind::PopupMenu) return owner_.popupMenu(*child, trigger);
    }
  }

 private:
  FormBinding& owner_;
  std::vector<std::unique_ptr<Binder>> binders_;
  std::map<std::string, Binder*> byName_;
};

FormBinding::FormBinding(ui::Form& form, Hooks hooks)
    : form_(form), hooks_(std::move(hooks)), site_(std::make_unique<Site>(*this)) {
  Binder* root = site_->bind(form_);
  top_ = binding::ownTree(root->widget());
  // Once the widgets are laid out: only then can the toolkit tell which of
  // them take the focus. Whoever shows the form may have focused its
  // default button before; the tab order counts first.
  if (binding::ordersItsChildren(form_))
    firstShow_ =
        SignalConnection(top_.get(), "map", G_CALLBACK((guardedCallback<&onFirstMap>)), this);
}

void FormBinding::onFirstMap(GtkWidget* top, gpointer data) {
  static_cast<FormBinding*>(data)->firstShow_.disconnect();
  binding::focusFirstInTabOrder(top);
}

FormBinding::~FormBinding() = default;

GtkWidget* FormBinding::widgetFor(const std::string& name) const { return site_->widgetFor(name); }

const Binder* FormBinding::binderFor(const std::string& name) const {
  return site_->binderFor(name);
}

void FormBinding::popupMenu(Control& menu, const GdkEvent* trigger) {
  menu.click();
  GtkWidget* gtkMenu = widgetFor(menu.name());
  if (!gtkMenu) return;
  if (trigger) {
    gtk_menu_popup_at_pointer(GTK_MENU(gtkMenu), trigger);
    return;
  }
  // Opened from the keyboard: below the widget that has the focus.
  GtkWidget* toplevel = gtk_widget_get_toplevel(top_.get());
  GtkWidget* anchor =
      GTK_IS_WINDOW(toplevel) ? gtk_window_get_focus(GTK_WINDOW(toplevel)) : nullptr;
  if (anchor && gtk_widget_get_realized(anchor))
    gtk_menu_popup_at_widget(GTK_MENU(gtkMenu), anchor, GDK_GRAVITY_CENTER, GDK_GRAVITY_NORTH_WEST,
                             nullptr);
}

}  // namespace pellora::gtk
