// One model control bound to its GTK widgets. A binder builds the widgets of
// its control (and has its children built through the site), follows the
// model's changes into them and feeds user input back to the model. It owns
// what it made: a reference on each widget and every signal connection, so
// they go with the binder however the binding ends.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/signal_connection.h"
#include "ui/control.h"

namespace pellora::gtk::binding {

class Binder;

// What a binder needs from the binding of the whole form.
class BindingSite {
 public:
  // Builds and registers the binder of `control`, chosen by its kind;
  // nullptr for kinds without a view of their own there.
  virtual Binder* bind(ui::Control& control) = 0;
  // Builds and registers a binder its parent chose (tool buttons, menu
  // items).
  virtual Binder* adopt(std::unique_ptr<Binder> binder) = 0;
  // The widget bound to the control called `name`, or nullptr.
  virtual GtkWidget* widgetFor(const std::string& name) const = 0;
  virtual Binder* binderFor(const std::string& name) const = 0;
  // The form's top widget (coordinates are reported relative to it).
  virtual GtkWidget* top() const = 0;
  // The native view of a visual editor control, or nullptr.
  virtual GtkWidget* visualEditor(ui::Control& control) = 0;
  virtual void setDefaultButton(ui::Control& button) = 0;
  virtual void setCancelButton(ui::Control& button) = 0;
  // Opens the form's popup menu (a right-click in the HTML view).
  virtual void popupFormMenu(const GdkEvent* trigger) = 0;

 protected:
  ~BindingSite() = default;
};

class Binder {
 public:
  explicit Binder(ui::Control& control);
  virtual ~Binder();
  Binder(const Binder&) = delete;
  Binder& operator=(const Binder&) = delete;

  ui::Control& control() const { return control_; }
  // The widget that shows the control.
  GtkWidget* widget() const { return widget_.get(); }
  // The widget the parent places, or nullptr when it places none (a popup
  // menu): known once built.
  GtkWidget* placed() const { return placed_; }

  // Builds the widgets (and has the children's built through `site`).
  void buildIn(BindingSite& site) { placed_ = build(site); }
  // Whether every property is followed right after the build (forms and
  // popup menus follow changes only: their host shows them).
  virtual bool followsOnBuild() const { return true; }

  // The binder of a bound widget, or nullptr.
  static Binder* of(GtkWidget* widget);

  // Names the widget after the control and follows the model's changes
  // from now on.
  void attach();
  // Follows one property of the model now (GTK's echo is not user input).
  void follow(ui::Property property);
  void followAll();

  // The control stands in a tool bar inside `item`.
  virtual void enterToolBar(GtkToolItem* item);
  // The control is a page of a notebook, named by `tabLabel`.
  virtual void setTabLabel(GtkWidget* tabLabel);
  // The model learns where `placed` really is, relative to the form's top
  // widget.
  void reportAllocation(BindingSite& site, GtkWidget* placed);

 protected:
  // Tab and Shift+Tab in `holder`, the widget that holds the children's
  // widgets, follow the children's tab order (where the model gives one).
  void keepTabOrder(BindingSite& site, GtkWidget* holder);

  // Builds the widgets; answers the one the parent places.
  virtual GtkWidget* build(BindingSite& site) = 0;

  // Shows one property; the base handles those every widget has (hint,
  // enabled, visible, bounds).
  virtual void apply(ui::Property property);

  void setWidget(GtkWidget* widget);
  void setOuter(GtkWidget* outer);
  // The widget whose visibility and sensitivity follow the model: the outer
  // one (a tool item, an event box, a scroller) or the widget itself.
  GtkWidget* followed() const { return outer_ ? outer_.get() : widget_.get(); }
  // Connects a handler for as long as the binder lives.
  void connect(gpointer instance, const char* signal, GCallback handler, gpointer data);
  bool following() const { return following_; }
  void setFollowing(bool following) { following_ = following; }

 private:
  static void onAllocated(GtkWidget* widget, GdkRectangle* allocation, gpointer data);
  static gboolean onFocus(GtkWidget* holder, GtkDirectionType direction, gpointer data);

  ui::Control& control_;
  GObjectPtr<GtkWidget> widget_;
  GObjectPtr<GtkWidget> outer_;
  GtkWidget* placed_ = nullptr;
  std::vector<SignalConnection> connections_;
  BindingSite* allocationSite_ = nullptr;
  BindingSite* tabSite_ = nullptr;
  std::size_t modelConnection_ = 0;
  bool attached_ = false;
  bool following_ = false;
};

}  // namespace pellora::gtk::binding
