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
// Ownership: the binding holds a reference on its top widget and destroys
// the widget tree when it is destroyed. The model must outlive the binding;
// views that lose their model earlier must destroy the binding first.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/control.h"
#include "ui/form.h"

namespace pellora::gtk {

class SourceViewBinding;

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
  GtkWidget* widget() const { return top_; }
  // The widget bound to the control called `name`; nullptr when there is
  // none (separators, controls without a view).
  GtkWidget* widgetFor(const std::string& name) const;

  // The default button (Enter) and the cancel button (Escape) of a dialog.
  ui::Control* defaultButton() const { return defaultButton_; }
  ui::Control* cancelButton() const { return cancelButton_; }

  // Shows the popup menu control `menu` at the pointer: raises its click
  // first, so the model sets the items' states before the menu opens.
  void popupMenu(ui::Control& menu, const GdkEvent* trigger);

 private:
  struct Bound;

  GtkWidget* build(ui::Control& control);
  GtkWidget* buildContainer(ui::Control& control);
  GtkWidget* buildCoolBar(ui::Control& coolBar);
  GtkWidget* buildToolBar(ui::Control& bar);
  GtkWidget* buildPageControl(ui::Control& pages);
  GtkWidget* buildMenu(ui::Control& menu);
  void addOverflowProxy(Bound& bound, GtkToolItem* item);
  void addListProxy(Bound& bound, GtkToolItem* item);
  void place(GtkWidget* fixed, ui::Control& child, GtkWidget* widget);
  Bound& bind(ui::Control& control, GtkWidget* widget);
  void apply(Bound& bound, ui::Property property);
  void applyAll(Bound& bound);
  void rebuildItems(Bound& bound);

  static void onClicked(GtkWidget*, gpointer data);
  static void onProxyActivate(GtkWidget*, gpointer data);
  static gboolean onCreateMenuProxy(GtkToolItem*, gpointer data);
  static gboolean onCreateListProxy(GtkToolItem*, gpointer data);
  static void onListProxyChosen(GtkWidget*, gpointer data);
  static void onToggled(GtkWidget*, gpointer data);
  static void onEntryChanged(GtkWidget*, gpointer data);
  static void onComboChanged(GtkWidget*, gpointer data);
  static void onSwitchPage(GtkNotebook*, GtkWidget*, guint page, gpointer data);
  static void onItemToggled(GtkWidget*, gpointer data);
  static gboolean onLinkPressed(GtkWidget*, GdkEventButton*, gpointer data);
  static gboolean onFloatingPosition(GtkOverlay*, GtkWidget*, GdkRectangle*, gpointer);
  static void onAllocated(GtkWidget*, GdkRectangle*, gpointer data);

  ui::Form& form_;
  Hooks hooks_;
  GtkWidget* top_ = nullptr;
  std::vector<std::unique_ptr<Bound>> bound_;
  std::map<std::string, Bound*> byName_;
  std::vector<std::unique_ptr<SourceViewBinding>> sourceViews_;
  std::vector<GtkWidget*> menus_;
  ui::Control* defaultButton_ = nullptr;
  ui::Control* cancelButton_ = nullptr;
};

}  // namespace pellora::gtk
