// The GTK view of one form of the widget model. It creates a widget for each
// model control, follows the model's `changed` signal into the widgets and
// feeds user input back through the model's setters, `click()` and
// `onChange`. It holds no rule of the system: toggling, grouping, sorting,
// enabling and every handler live in the model.
//
// Layout: children aligned to the top or the client area stack vertically
// (tool bars, the page control), and the model learns their real bounds;
// others keep their design bounds in pixels (dialogs). Panels over a client
// area (the status panel) float above it where the model places them.
//
// Each widget is named after its model control, so a driver or a test can
// find "btnBold" in the widget tree.
//
// Keyboard: Tab and Shift+Tab follow the model's tab order, and a form that
// gives its controls one opens with the focus on the first control Tab
// reaches (a tab stop, enabled and visible). The editor form gives none:
// its host decides where the focus is.
//
// Each control has a binder of its kind (binding/binder_table.cpp) that owns
// its widgets' references and its signal connections.
//
// Ownership: the binding holds a reference on its top widget and destroys
// the widget tree when it is destroyed. The model must outlive the binding;
// views that lose their model earlier must destroy the binding first.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/gtk/binding/widget_tree.h"
#include "platform/gtk/signal_connection.h"
#include "ui/control.h"
#include "ui/form.h"

namespace pellora::gtk {

namespace binding {
class Binder;
}

class FormBinding {
 public:
  struct Hooks {
    // The native widget that shows a visual editor control (the editing
    // surface); without it a placeholder stands there.
    std::function<GtkWidget*(ui::Control&)> visualEditor;
  };

  explicit FormBinding(ui::Form& form, Hooks hooks = {});
  ~FormBinding();
  FormBinding(const FormBinding&) = delete;
  FormBinding& operator=(const FormBinding&) = delete;

  ui::Form& form() const { return form_; }
  GtkWidget* widget() const { return top_.get(); }
  // The widget bound to the control called `name`; nullptr when there is
  // none (separators, controls without a view).
  GtkWidget* widgetFor(const std::string& name) const;

  // The default button (Enter) and the cancel button (Escape) of a dialog.
  ui::Control* defaultButton() const { return defaultButton_; }
  ui::Control* cancelButton() const { return cancelButton_; }

  // The binder of the control called `name`, or nullptr (kinds without a
  // view).
  const binding::Binder* binderFor(const std::string& name) const;

  // Shows the popup menu control `menu` at the pointer: raises its click
  // first, so the model sets the items' states before the menu opens.
  void popupMenu(ui::Control& menu, const GdkEvent* trigger);

 private:
  // The binding site the binders build in.
  class Site;

  static void onFirstMap(GtkWidget* top, gpointer data);

  ui::Form& form_;
  Hooks hooks_;
  // Declared before the binders: the tree is destroyed after every binder
  // has let go of its widgets and handlers.
  binding::WidgetTree top_;
  std::unique_ptr<Site> site_;
  // Gives the first focus when the form first appears.
  SignalConnection firstShow_;
  ui::Control* defaultButton_ = nullptr;
  ui::Control* cancelButton_ = nullptr;
};

}  // namespace pellora::gtk
