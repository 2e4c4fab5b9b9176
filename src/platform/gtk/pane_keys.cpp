#include "platform/gtk/pane_keys.h"

#include <gdk/gdkkeysyms.h>

#include "platform/gtk/callback_boundary.h"

namespace pellora::gtk {

namespace {

constexpr char kPanesKey[] = "pellora-panes";

struct Panes {
  GtkWidget* bars;
  GtkWidget* pages;
};

bool inside(GtkWidget* widget, GtkWidget* area) {
  return widget && (widget == area || gtk_widget_is_ancestor(widget, area));
}

gboolean onKeyPress(GtkWidget* form, GdkEventKey* event, gpointer) {
  const auto direction = paneKeyFor(event->keyval, static_cast<GdkModifierType>(event->state));
  if (!direction) return FALSE;
  const auto* panes = static_cast<const Panes*>(g_object_get_data(G_OBJECT(form), kPanesKey));
  GtkWidget* top = gtk_widget_get_toplevel(form);
  if (!panes || !GTK_IS_WINDOW(top)) return FALSE;
  GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(top));
  const GtkDirectionType dir =
      *direction == PaneDirection::Forward ? GTK_DIR_TAB_FORWARD : GTK_DIR_TAB_BACKWARD;
  // From the tool bars to the active page's view; from anywhere else in the
  // editor to the tool bars (hidden while the HTML view is shown: then the
  // key goes on).
  GtkWidget* target = inside(focus, panes->bars) ? panes->pages : panes->bars;
  if (target == panes->pages) {
    const int page = gtk_notebook_get_current_page(GTK_NOTEBOOK(panes->pages));
    target = gtk_notebook_get_nth_page(GTK_NOTEBOOK(panes->pages), page);
  }
  if (!target || !gtk_widget_is_visible(target)) return FALSE;
  // A focused widget moves the focus on from itself; start afresh.
  gtk_window_set_focus(GTK_WINDOW(top), nullptr);
  if (gtk_widget_child_focus(target, dir)) return TRUE;
  if (focus) gtk_widget_grab_focus(focus);
  return FALSE;
}

// The engine would take the key first (and move the focus out of the page
// on its own, to wherever the window's focus chain goes next).
gboolean onVisualKeyPress(GtkWidget*, GdkEventKey* event, gpointer form) {
  return onKeyPress(GTK_WIDGET(form), event, nullptr);
}

}  // namespace

std::optional<PaneDirection> paneKeyFor(guint keyval, GdkModifierType state) {
  const guint mods = state & (GDK_CONTROL_MASK | GDK_SHIFT_MASK | GDK_MOD1_MASK | GDK_SUPER_MASK);
  const bool shift = mods & GDK_SHIFT_MASK;
  switch (keyval) {
    case GDK_KEY_F6:
      if ((mods & ~GDK_SHIFT_MASK) != 0) return std::nullopt;
      break;
    case GDK_KEY_Tab:
    case GDK_KEY_KP_Tab:
    case GDK_KEY_ISO_Left_Tab:
      if ((mods & ~GDK_SHIFT_MASK) != GDK_CONTROL_MASK) return std::nullopt;
      break;
    default:
      return std::nullopt;
  }
  return shift ? PaneDirection::Backward : PaneDirection::Forward;
}

SignalConnection followPaneKeys(GtkWidget* form, GtkWidget* visual, GtkWidget* bars,
                                GtkWidget* pages) {
  if (!form || !bars || !GTK_IS_NOTEBOOK(pages)) return {};
  g_object_set_data_full(G_OBJECT(form), kPanesKey, new Panes{bars, pages},
                         [](gpointer data) { delete static_cast<Panes*>(data); });
  g_signal_connect(form, "key-press-event", G_CALLBACK((guardedCallback<&onKeyPress>)), nullptr);
  if (!visual) return {};
  return SignalConnection(visual, "key-press-event",
                          G_CALLBACK((guardedCallback<&onVisualKeyPress>)), form);
}

}  // namespace pellora::gtk
