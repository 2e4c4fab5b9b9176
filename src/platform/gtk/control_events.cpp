// Covered by tests/platform/gtk/control_events_test.cpp.
#include "platform/gtk/control_events.h"

#include <gdk/gdkkeysyms.h>

#include <functional>

#include "content/cp1252.h"
#include "platform/gtk/callback_boundary.h"
#include "platform/gtk/signal_connection.h"

namespace pellora::gtk {

namespace {

constexpr char kStateKey[] = "pellora-control-events";

void onSetFocus(GtkWindow*, GtkWidget* focus, gpointer box);

// Owned by the event box (its object data).
struct ControlEvents {
  ControlEvents() = default;
  ControlEvents(const ControlEvents&) = delete;
  ControlEvents& operator=(const ControlEvents&) = delete;
  ~ControlEvents() { unfollow(); }

  // Follows the focus changes of `window` on behalf of `box`.
  void follow(GtkWidget* window, GtkWidget* box) {
    unfollow();
    if (!window) return;
    toplevel = window;
    setFocus =
        SignalConnection(toplevel, "set-focus", G_CALLBACK((guardedCallback<&onSetFocus>)), box);
  }
  void unfollow() {
    setFocus.disconnect();
    toplevel = nullptr;
  }

  std::weak_ptr<const FormNotifications> notifications;
  // A left press on the control awaits its release.
  bool pressed = false;
  // The keyboard focus is inside the control.
  bool active = false;
  // The top-level window whose focus changes are followed, if any; only
  // compared, never used once its connection says it is gone.
  GtkWidget* toplevel = nullptr;
  SignalConnection setFocus;
};

ControlEvents& stateOf(GtkWidget* box) {
  return *static_cast<ControlEvents*>(g_object_get_data(G_OBJECT(box), kStateKey));
}

void notify(ControlEvents& events, std::function<void()> FormNotifications::*which) {
  // The control may be gone; then its window says nothing.
  const auto target = events.notifications.lock();
  if (target && (*target).*which) ((*target).*which)();
}

bool focusInside(GtkWidget* box, GtkWidget* focus) {
  return focus && (focus == box || gtk_widget_is_ancestor(focus, box));
}

void setActive(GtkWidget* box, bool inside) {
  ControlEvents& events = stateOf(box);
  if (events.active == inside) return;
  events.active = inside;
  notify(events, inside ? &FormNotifications::activate : &FormNotifications::deactivate);
}

void onSetFocus(GtkWindow*, GtkWidget* focus, gpointer box) {
  setActive(GTK_WIDGET(box), focusInside(GTK_WIDGET(box), focus));
}

// Follows the focus of the top-level window the control sits in now.
void followToplevel(GtkWidget* box) {
  ControlEvents& events = stateOf(box);
  GtkWidget* toplevel = gtk_widget_get_toplevel(box);
  if (!GTK_IS_WINDOW(toplevel)) toplevel = nullptr;
  if (toplevel != events.toplevel) events.follow(toplevel, box);
  setActive(box, toplevel && focusInside(box, gtk_window_get_focus(GTK_WINDOW(toplevel))));
}

void onHierarchyChanged(GtkWidget* box, GtkWidget*, gpointer) { followToplevel(box); }

void onDestroy(GtkWidget* box, gpointer) { stateOf(box).unfollow(); }

// Whether a button event happened over the control's own window.
bool overControl(GtkWidget* box, const GdkEventButton& event) {
  GdkWindow* own = gtk_widget_get_window(box);
  GdkWindow* window = event.window;
  double x = event.x, y = event.y;
  while (window && window != own) {
    gdk_window_coords_to_parent(window, x, y, &x, &y);
    window = gdk_window_get_parent(window);
  }
  return window && x >= 0 && y >= 0 && x < gdk_window_get_width(own) &&
         y < gdk_window_get_height(own);
}

gboolean onButtonPress(GtkWidget* box, GdkEventButton* event, gpointer) {
  if (event->button != GDK_BUTTON_PRIMARY) return FALSE;
  ControlEvents& events = stateOf(box);
  if (event->type == GDK_BUTTON_PRESS) {
    events.pressed = true;
  } else if (event->type == GDK_2BUTTON_PRESS) {
    // The second press of a double click makes no click of its own.
    events.pressed = false;
    notify(events, &FormNotifications::dblClick);
  }
  return FALSE;
}

gboolean onButtonRelease(GtkWidget* box, GdkEventButton* event, gpointer) {
  if (event->button != GDK_BUTTON_PRIMARY) return FALSE;
  ControlEvents& events = stateOf(box);
  if (!events.pressed) return FALSE;
  events.pressed = false;
  if (overControl(box, *event)) notify(events, &FormNotifications::click);
  return FALSE;
}

gboolean onKeyPress(GtkWidget* box, GdkEventKey* event, gpointer) {
  const std::optional<char> typed = typedCharacter(*event);
  if (!typed) return FALSE;
  const auto target = stateOf(box).notifications.lock();
  if (!target || !target->keyPress) return FALSE;
  // Nothing inside took the key, so a character the host puts in its
  // place has nowhere to go; the key goes on to the host's window.
  char key = *typed;
  target->keyPress(key);
  return FALSE;
}

gboolean onDraw(GtkWidget* box, cairo_t*, gpointer) {
  notify(stateOf(box), &FormNotifications::paint);
  return FALSE;
}

}  // namespace

std::optional<char> typedCharacter(const GdkEventKey& event) {
  char32_t code = 0;
  switch (event.keyval) {
    case GDK_KEY_BackSpace:
      code = 8;
      break;
    case GDK_KEY_Tab:
    case GDK_KEY_KP_Tab:
    case GDK_KEY_ISO_Left_Tab:
      code = 9;
      break;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter:
      code = 13;
      break;
    case GDK_KEY_Escape:
      code = 27;
      break;
    default:
      code = gdk_keyval_to_unicode(event.keyval);
      // Delete and the other control keys type nothing.
      if (code < 0x20 || code == 0x7F) return std::nullopt;
      break;
  }
  // Alt with a key is a menu shortcut, not a character.
  if (event.state & GDK_MOD1_MASK) return std::nullopt;
  if (event.state & GDK_CONTROL_MASK) {
    const bool letter = (code >= U'a' && code <= U'z') || (code >= U'A' && code <= U'Z');
    if (!letter) return std::nullopt;
    code &= 0x1F;
  }
  const std::optional<unsigned char> byte = content::codePointToCp1252(code);
  if (!byte) return std::nullopt;
  return static_cast<char>(*byte);
}

GtkWidget* createControlWindow(GtkWidget* view,
                               std::weak_ptr<const FormNotifications> notifications) {
  GtkWidget* box = gtk_event_box_new();
  auto events = std::make_unique<ControlEvents>();
  events->notifications = std::move(notifications);
  g_object_set_data_full(G_OBJECT(box), kStateKey, events.release(),
                         [](gpointer data) { delete static_cast<ControlEvents*>(data); });
  gtk_container_add(GTK_CONTAINER(box), view);
  gtk_widget_show(view);
  g_signal_connect(box, "button-press-event", G_CALLBACK((guardedCallback<&onButtonPress>)),
                   nullptr);
  g_signal_connect(box, "button-release-event", G_CALLBACK((guardedCallback<&onButtonRelease>)),
                   nullptr);
  g_signal_connect(box, "key-press-event", G_CALLBACK((guardedCallback<&onKeyPress>)), nullptr);
  g_signal_connect(box, "draw", G_CALLBACK((guardedCallback<&onDraw>)), nullptr);
  g_signal_connect(box, "hierarchy-changed", G_CALLBACK((guardedCallback<&onHierarchyChanged>)),
                   nullptr);
  g_signal_connect(box, "destroy", G_CALLBACK((guardedCallback<&onDestroy>)), nullptr);
  return box;
}

}  // namespace pellora::gtk
