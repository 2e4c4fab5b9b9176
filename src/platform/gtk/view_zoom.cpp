// Covered by tests/platform/gtk/view_zoom_test.cpp and
// tests/app/zoom_journey_test.cpp.
#include "platform/gtk/view_zoom.h"

#include <gdk/gdkkeysyms.h>
#include <gtksourceview/gtksource.h>
#include <webkit2/webkit2.h>

#include <cmath>
#include <utility>

#include "platform/gtk/callback_boundary.h"
#include "platform/gtk/html_view_font.h"
#include "platform/gtk/widget_search.h"
#include "platform/gtk/zoom_setting.h"

namespace pellora::gtk {

std::optional<ZoomAction> zoomKeyFor(guint keyval, GdkModifierType state) {
  // Shift is left out: on many layouts plus is a shifted key.
  const guint mods = state & (GDK_CONTROL_MASK | GDK_MOD1_MASK | GDK_SUPER_MASK);
  if (mods != GDK_CONTROL_MASK) return std::nullopt;
  switch (keyval) {
    case GDK_KEY_plus:
    case GDK_KEY_equal:
    case GDK_KEY_KP_Add:
      return ZoomAction::In;
    case GDK_KEY_minus:
    case GDK_KEY_KP_Subtract:
      return ZoomAction::Out;
    case GDK_KEY_0:
    case GDK_KEY_KP_0:
      return ZoomAction::Reset;
    default:
      return std::nullopt;
  }
}

ViewZoom::ViewZoom(GtkWidget* form, GtkWidget* visual, settings::RegistryStore store)
    : visual_(visual), store_(std::move(store)), percent_(storedZoom(store_)) {
  GtkWidget* source = findWidgetIf(form, [](GtkWidget* w) { return GTK_SOURCE_IS_VIEW(w); });
  if (source) source_ = GTK_SOURCE_VIEW(source);
  const GCallback keys = G_CALLBACK((guardedCallback<&onKeyPress>));
  const GCallback scroll = G_CALLBACK((guardedCallback<&onScroll>));
  if (form) formKeys_ = SignalConnection(form, "key-press-event", keys, this);
  // The engine takes keys and the wheel before its ancestors see them.
  if (visual_) {
    visualKeys_ = SignalConnection(visual_, "key-press-event", keys, this);
    visualScroll_ = SignalConnection(visual_, "scroll-event", scroll, this);
  }
  // The text view's own key bindings come before the form's.
  if (source) sourceKeys_ = SignalConnection(source, "key-press-event", keys, this);
  // The scrolled window around the text scrolls before the form sees it.
  if (GtkWidget* scroller = source ? gtk_widget_get_parent(source) : nullptr)
    sourceScroll_ = SignalConnection(scroller, "scroll-event", scroll, this);
  apply();
}

void ViewZoom::act(ZoomAction action) {
  const std::uint32_t next = zoomAfter(percent_, action);
  if (next == percent_) return;
  percent_ = next;
  apply();
  storeZoom(store_, percent_);
}

void ViewZoom::apply() {
  const double scale = percent_ / 100.0;
  if (visual_ && WEBKIT_IS_WEB_VIEW(visual_))
    webkit_web_view_set_zoom_level(WEBKIT_WEB_VIEW(visual_), scale);
  if (source_) setHtmlViewFontScale(source_, scale);
}

gboolean ViewZoom::onKeyPress(GtkWidget*, GdkEventKey* event, gpointer data) {
  const auto action = zoomKeyFor(event->keyval, static_cast<GdkModifierType>(event->state));
  if (!action) return FALSE;
  static_cast<ViewZoom*>(data)->act(*action);
  return TRUE;
}

gboolean ViewZoom::onScroll(GtkWidget*, GdkEventScroll* event, gpointer data) {
  if ((event->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK | GDK_SUPER_MASK)) != GDK_CONTROL_MASK)
    return FALSE;
  auto* self = static_cast<ViewZoom*>(data);
  switch (event->direction) {
    case GDK_SCROLL_UP:
      self->act(ZoomAction::In);
      break;
    case GDK_SCROLL_DOWN:
      self->act(ZoomAction::Out);
      break;
    case GDK_SCROLL_SMOOTH:
      self->pendingScroll_ += event->delta_y;
      while (std::fabs(self->pendingScroll_) >= 1) {
        const bool up = self->pendingScroll_ < 0;
        self->pendingScroll_ += up ? 1 : -1;
        self->act(up ? ZoomAction::In : ZoomAction::Out);
      }
      break;
    default:
      return FALSE;
  }
  return TRUE;
}

}  // namespace pellora::gtk
