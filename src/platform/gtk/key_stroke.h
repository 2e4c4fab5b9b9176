// A key stroke as the keyboard sends it, for the host's scripts and the GTK
// tests: press and release go to the toplevel window with the target
// focused, so the window's accelerators, the target's own key handlers and
// its key bindings (which match the hardware key code) all see it.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <optional>
#include <string>

namespace pellora::gtk {

struct KeyStroke {
  guint keyval = 0;
  GdkModifierType mods = static_cast<GdkModifierType>(0);
};

// "ctrl+z", "ctrl+shift+z", "alt+BackSpace", "a": modifiers (ctrl, shift,
// alt) joined by "+", then a key name as GDK spells it.
inline std::optional<KeyStroke> parseKeyStroke(const std::string& text) {
  KeyStroke stroke;
  std::string rest = text;
  for (std::size_t plus; (plus = rest.find('+')) != std::string::npos && plus + 1 < rest.size();) {
    const std::string modifier = rest.substr(0, plus);
    rest.erase(0, plus + 1);
    int mask = 0;
    if (modifier == "ctrl")
      mask = GDK_CONTROL_MASK;
    else if (modifier == "shift")
      mask = GDK_SHIFT_MASK;
    else if (modifier == "alt")
      mask = GDK_MOD1_MASK;
    else
      return std::nullopt;
    stroke.mods = static_cast<GdkModifierType>(stroke.mods | mask);
  }
  stroke.keyval = gdk_keyval_from_name(rest.c_str());
  if (stroke.keyval == GDK_KEY_VoidSymbol || stroke.keyval == 0) return std::nullopt;
  return stroke;
}

// Focuses `target` and sends `stroke` through its toplevel window; false
// when the target is not in a realised window.
inline bool sendKeyStroke(GtkWidget* target, const KeyStroke& stroke) {
  GtkWidget* top = gtk_widget_get_toplevel(target);
  if (!GTK_IS_WINDOW(top) || !gtk_widget_get_realized(top)) return false;
  gtk_widget_grab_focus(target);
  GdkDisplay* display = gtk_widget_get_display(top);
  guint16 code = 0;
  guint8 group = 0;
  GdkKeymapKey* entries = nullptr;
  gint count = 0;
  if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), stroke.keyval,
                                        &entries, &count) &&
      count > 0) {
    code = static_cast<guint16>(entries[0].keycode);
    group = static_cast<guint8>(entries[0].group);
  }
  g_free(entries);
  for (GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
    std::unique_ptr<GdkEvent, decltype(&gdk_event_free)> event(gdk_event_new(type),
                                                               &gdk_event_free);
    event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(top)));
    event->key.send_event = TRUE;
    event->key.time = GDK_CURRENT_TIME;
    event->key.state = stroke.mods;
    event->key.keyval = stroke.keyval;
    event->key.hardware_keycode = code;
    event->key.group = group;
    gdk_event_set_device(event.get(), gdk_seat_get_keyboard(gdk_display_get_default_seat(display)));
    gtk_main_do_event(event.get());
  }
  return true;
}

}  // namespace pellora::gtk
