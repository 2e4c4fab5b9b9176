// Forms, tab sheets and panels. Children aligned to the top or the client
// area stack vertically; panels over them float where the model places
// them; without such children every child keeps its design bounds.
#include <algorithm>

#include "platform/gtk/accessible_name.h"
#include "platform/gtk/binding/binder_kinds.h"
#include "platform/gtk/binding/layout.h"
#include "platform/gtk/binding/widget_text.h"
#include "platform/gtk/callback_boundary.h"
#include "platform/gtk/dialog_style.h"

namespace pellora::gtk::binding {

namespace {

using ui::ControlKind;
using ui::Property;

bool hasClientChild(const ui::Control& control) {
  return std::any_of(control.children().begin(), control.children().end(), [](const auto& child) {
    return child->align() == ui::Align::Client || child->align() == ui::Align::Top;
  });
}

class ContainerBinder : public Binder {
 public:
  using Binder::Binder;

  // The form itself is shown by its host; it follows changes only.
  bool followsOnBuild() const override { return control().kind() != ControlKind::Form; }

  void setTabLabel(GtkWidget* tabLabel) override {
    tabLabel_ = retain(tabLabel);
    follow(Property::Caption);
  }

 protected:
  GtkWidget* build(BindingSite& site) override {
    site_ = &site;
    GtkWidget* widget = nullptr;
    if (control().kind() == ControlKind::Panel) {
      widget = gtk_frame_new(nullptr);
      gtk_frame_set_shadow_type(GTK_FRAME(widget), GTK_SHADOW_OUT);
      GtkWidget* inner = buildChildren(site);
      gtk_widget_show(inner);
      gtk_container_add(GTK_CONTAINER(widget), inner);
      gtk_style_context_add_class(gtk_widget_get_style_context(widget), "background");
    } else {
      widget = buildChildren(site);
    }
    setWidget(widget);
    return widget;
  }

  void apply(Property property) override {
    Binder::apply(property);
    if (property != Property::Caption) return;
    const std::string title = caption(control().caption());
    if (control().kind() == ControlKind::Form) {
      if (GtkWidget* window = gtk_widget_get_toplevel(widget()); GTK_IS_WINDOW(window))
        gtk_window_set_title(GTK_WINDOW(window), title.c_str());
    } else if (tabLabel_) {
      gtk_label_set_text(GTK_LABEL(tabLabel_.get()), title.c_str());
      // The page's views are known to screen readers by the tab's name.
      for (const auto& child : control().children()) {
        if (child->align() != ui::Align::Client) continue;
        if (GtkWidget* view = site_->widgetFor(child->name())) setAccessibleName(view, title);
      }
    }
  }

 private:
  GtkWidget* buildChildren(BindingSite& site) {
    if (!hasClientChild(control())) {
      GtkWidget* fixed = gtk_fixed_new();
      for (const auto& child : control().children()) {
        if (Binder* bound = site.bind(*child); bound && bound->placed())
          place(fixed, *child, bound->placed());
      }
      const ui::Bounds& b = control().bounds();
      if (b.width > 0 && b.height > 0 && control().kind() != ControlKind::Form)
        gtk_widget_set_size_request(fixed, b.width, b.height);
      keepTabOrder(site, fixed);
      return fixed;
    }
    GtkWidget* overlay = gtk_overlay_new();
    GtkWidget* stack = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_container_add(GTK_CONTAINER(overlay), stack);
    for (const auto& child : control().children()) {
      Binder* bound = site.bind(*child);
      GtkWidget* widget = bound ? bound->placed() : nullptr;
      if (!widget) continue;
      if (child->align() == ui::Align::Client) {
        gtk_box_pack_start(GTK_BOX(stack), widget, TRUE, TRUE, 0);
      } else if (child->align() == ui::Align::Top) {
        gtk_box_pack_start(GTK_BOX(stack), widget, FALSE, FALSE, 0);
      } else {
        // Floating panels (the status display) stand where the model
        // places them, at their design size and in their design font.
        styleDialog(widget, child->font());
        gtk_overlay_add_overlay(GTK_OVERLAY(overlay), widget);
      }
    }
    connect(overlay, "get-child-position", G_CALLBACK((guardedCallback<&onFloatingPosition>)),
            nullptr);
    keepTabOrder(site, overlay);
    gtk_widget_show(stack);
    return overlay;
  }

  static gboolean onFloatingPosition(GtkOverlay* overlay, GtkWidget* widget, GdkRectangle* where,
                                     gpointer) {
    Binder* bound = Binder::of(widget);
    if (!bound) return FALSE;
    const ui::Bounds& b = bound->control().bounds();
    GtkRequisition natural;
    gtk_widget_get_preferred_size(widget, nullptr, &natural);
    where->width = b.width > 0 ? b.width : natural.width;
    where->height = b.height > 0 ? b.height : natural.height;
    // Inside the form, however small it is.
    const int room = gtk_widget_get_allocated_width(GTK_WIDGET(overlay)) - where->width;
    const int depth = gtk_widget_get_allocated_height(GTK_WIDGET(overlay)) - where->height;
    where->x = std::max(0, std::min(b.left, room));
    where->y = std::max(0, std::min(b.top, depth));
    return TRUE;
  }

  BindingSite* site_ = nullptr;
  GObjectPtr<GtkWidget> tabLabel_;
};

class GroupBoxBinder : public Binder {
 public:
  using Binder::Binder;

 protected:
  // Children sit relative to the group's corner, caption included: the
  // frame is drawn first, behind them, in a container of the group's size.
  GtkWidget* build(BindingSite& site) override {
    GtkWidget* inner = gtk_fixed_new();
    GtkWidget* frame = gtk_frame_new(nullptr);
    const ui::Bounds& b = control().bounds();
    gtk_widget_set_size_request(frame, b.width, b.height);
    gtk_fixed_put(GTK_FIXED(inner), frame, 0, 0);
    gtk_widget_show(frame);
    for (const auto& child : control().children()) {
      if (Binder* bound = site.bind(*child); bound && bound->placed())
        place(inner, *child, bound->placed());
    }
    keepTabOrder(site, inner);
    setWidget(frame);
    setOuter(inner);
    return inner;
  }

  void apply(Property property) override {
    Binder::apply(property);
    if (property == Property::Caption)
      gtk_frame_set_label(GTK_FRAME(widget()), caption(control().caption()).c_str());
  }
};

}  // namespace

std::unique_ptr<Binder> makeContainerBinder(ui::Control& control) {
  return std::make_unique<ContainerBinder>(control);
}

std::unique_ptr<Binder> makeGroupBoxBinder(ui::Control& control) {
  return std::make_unique<GroupBoxBinder>(control);
}

}  // namespace pellora::gtk::binding
