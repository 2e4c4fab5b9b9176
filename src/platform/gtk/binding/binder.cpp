#include "platform/gtk/binding/binder.h"

#include "platform/gtk/accessible_name.h"
#include "platform/gtk/binding/tab_order.h"
#include "platform/gtk/binding/widget_text.h"
#include "platform/gtk/callback_boundary.h"
#include "settings/key_guide.h"

namespace pellora::gtk::binding {

using ui::Property;

namespace {
// GObject data key on a bound widget: its binder.
constexpr const char* kBinderKey = "pellora-bound";
}  // namespace

Binder::Binder(ui::Control& control) : control_(control) {}

Binder::~Binder() {
  if (attached_) control_.changed.disconnect(modelConnection_);
}

Binder* Binder::of(GtkWidget* widget) {
  return static_cast<Binder*>(g_object_get_data(G_OBJECT(widget), kBinderKey));
}

void Binder::attach() {
  if (GtkWidget* shown = widget()) {
    gtk_widget_set_name(shown, control_.name().c_str());
    g_object_set_data(G_OBJECT(shown), kBinderKey, this);
  }
  modelConnection_ =
      control_.changed.connect([this](ui::Control&, Property property) { follow(property); });
  attached_ = true;
}

void Binder::follow(Property property) {
  if (!widget()) return;
  following_ = true;
  apply(property);
  following_ = false;
}

void Binder::followAll() {
  for (Property p : {Property::Caption, Property::Hint, Property::Text, Property::Enabled,
                     Property::Visible, Property::Down, Property::Checked, Property::Items,
                     Property::ItemIndex, Property::ItemChecked, Property::Position, Property::Font,
                     Property::Color, Property::ActivePage, Property::Selection}) {
    follow(p);
  }
}

void Binder::enterToolBar(GtkToolItem* item) { setOuter(GTK_WIDGET(item)); }

void Binder::setTabLabel(GtkWidget*) {}

namespace {

// A tool button's hint with its key, as the key list shows it.
std::string tooltipOf(const ui::Control& control) {
  if (control.kind() != ui::ControlKind::ToolButton) return control.hint();
  const std::string keys = toolButtonKeys(control.name());
  return keys.empty() ? control.hint() : control.hint() + " (" + keys + ")";
}

}  // namespace

void Binder::apply(Property property) {
  GtkWidget* outer = followed();
  switch (property) {
    case Property::Hint:
      if (!control_.hint().empty()) {
        gtk_widget_set_tooltip_text(outer, caption(tooltipOf(control_)).c_str());
        setAccessibleName(widget(), caption(control_.hint()));
      } else {
        gtk_widget_set_tooltip_text(outer, nullptr);
      }
      break;
    case Property::Enabled:
      gtk_widget_set_sensitive(outer, control_.enabled());
      break;
    case Property::Visible:
      // Forms are shown by whoever hosts them.
      // The model decides: a host's "show all" must not reveal hidden ones.
      if (control_.kind() != ui::ControlKind::Form) {
        gtk_widget_set_no_show_all(outer, TRUE);
        gtk_widget_set_visible(outer, control_.visible());
      }
      break;
    case Property::Bounds:
      // A floating panel follows its place in the model.
      if (GTK_IS_OVERLAY(gtk_widget_get_parent(outer))) gtk_widget_queue_resize(outer);
      break;
    default:
      break;
  }
}

void Binder::setWidget(GtkWidget* widget) { widget_ = retain(widget); }

void Binder::setOuter(GtkWidget* outer) { outer_ = retain(outer); }

void Binder::connect(gpointer instance, const char* signal, GCallback handler, gpointer data) {
  connections_.emplace_back(instance, signal, handler, data);
}

void Binder::reportAllocation(BindingSite& site, GtkWidget* placed) {
  allocationSite_ = &site;
  connect(placed, "size-allocate", G_CALLBACK((guardedCallback<&onAllocated>)), this);
}

// The model learns where its stacked parts really are: the status panel is
// placed from the visual editor's page and the tool-bar band (see
// TMainForm::placeStatusPanel).
void Binder::onAllocated(GtkWidget* widget, GdkRectangle* allocation, gpointer data) {
  auto& binder = *static_cast<Binder*>(data);
  GtkWidget* top = binder.allocationSite_->top();
  int left = 0, top_y = 0;
  if (!gtk_widget_translate_coordinates(widget, top, 0, 0, &left, &top_y)) {
    // Not realized yet (the first allocation): the form's widgets share
    // one window, so allocations compare directly.
    GtkAllocation form;
    gtk_widget_get_allocation(top, &form);
    left = allocation->x - form.x;
    top_y = allocation->y - form.y;
  }
  const ui::Bounds now{left, top_y, allocation->width, allocation->height};
  if (binder.control_.bounds() != now) binder.control_.setBounds(now);
}

void Binder::keepTabOrder(BindingSite& site, GtkWidget* holder) {
  if (!ordersItsChildren(control_)) return;
  tabSite_ = &site;
  connect(holder, "focus", G_CALLBACK((guardedCallback<&onFocus>)), this);
}

// Tab and Shift+Tab are ours; the arrow keys keep the toolkit's way, by
// where the widgets stand.
gboolean Binder::onFocus(GtkWidget* holder, GtkDirectionType direction, gpointer data) {
  if (direction != GTK_DIR_TAB_FORWARD && direction != GTK_DIR_TAB_BACKWARD) return FALSE;
  auto& binder = *static_cast<Binder*>(data);
  const bool moved = moveFocusInTabOrder(*binder.tabSite_, binder.control_, holder, direction);
  // Not moved: the walk leaves the holder, without the toolkit's own order
  // trying its children again.
  if (!moved) g_signal_stop_emission_by_name(holder, "focus");
  return moved;
}

}  // namespace pellora::gtk::binding
