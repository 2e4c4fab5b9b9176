// A key stroke as the keyboard sends it, for the host's scripts and the GTK
// tests: press and release go to the toplevel window, which hands them to
// its focus widget, so the window's accelerators, the widget's own key
// handlers and its key bindings (which match the hardware key code) all see
// them.
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

// "ctrl+z", "ctrl+shift+z", "alt+BackSpace", "a", "ü": modifiers (ctrl or
// control, shift, alt) joined by "+", then a key name as GDK spells it or
// one character.
inline std::optional<KeyStroke> parseKeyStroke(const std::string& text) {
  KeyStroke stroke;
  std::string rest = text;
  for (std::size_t plus; (plus = rest.find('+')) != std::string::npos && plus + 1 < rest.size();) {
    const std::string modifier = rest.substr(0, plus);
    rest.erase(0, plus + 1);
    int mask = 0;
    if (modifier == "ctrl" || modifier == "control")
      mask = GDK_CONTROL_MASK;
    else if (modifier == "shift")
      mask = GDK_SHIFT_MASK;
    else if (modifier == "alt")
      mask = GDK_MOD1_MASK;
    else
      return std::nullopt;
    stroke.mods = static_cast<GdkModifierType>(stroke.mods | mask);
  }
  if (g_utf8_strlen(rest.c_str(), -1) == 1)
    stroke.keyval = gdk_unicode_to_keyval(g_unichar_tolower(g_utf8_get_char(rest.c_str())));
  else
    stroke.keyval = gdk_keyval_from_name(rest.c_str());
  if (stroke.keyval == GDK_KEY_VoidSymbol || stroke.keyval == 0) return std::nullopt;
  return stroke;
}

// Delivers one key event of `type` (press or release) for `stroke` to the
// realised toplevel `top`. The key that carries the keyval gives the
// hardware code; a character on its shifted level is sent with shift held.
inline void sendKeyEvent(GtkWidget* top, const KeyStroke& stroke, GdkEventType type) {
  GdkWindow* native = gtk_widget_get_window(top);
  GdkDisplay* display = gdk_window_get_display(native);
  GdkKeymap* keymap = gdk_keymap_get_for_display(display);
  GdkModifierType mods = stroke.mods;
  guint keyval = stroke.keyval;
  guint16 code = 0;
  guint8 group = 0;
  GdkKeymapKey* entries = nullptr;
  gint count = 0;
  if (gdk_keymap_get_entries_for_keyval(keymap, stroke.keyval, &entries, &count) && count > 0) {
    code = static_cast<guint16>(entries[0].keycode);
    group = static_cast<guint8>(entries[0].group);
    if (entries[0].level == 1) mods = static_cast<GdkModifierType>(mods | GDK_SHIFT_MASK);
    guint translated = 0;
    if (gdk_keymap_translate_keyboard_state(keymap, code, mods, group, &translated, nullptr,
                                            nullptr, nullptr))
      keyval = translated;
  }
  g_free(entries);
  std::unique_ptr<GdkEvent, decltype(&gdk_event_free)> event(gdk_event_new(type), &gdk_event_free);
  event->key.window = GDK_WINDOW(g_object_ref(native));
  event->key.time = GDK_CURRENT_TIME;
  event->key.state = mods;
  event->key.keyval = keyval;
  event->key.hardware_keycode = code;
  event->key.group = group;
  gdk_event_set_device(event.get(), gdk_seat_get_keyboard(gdk_display_get_default_seat(display)));
  gtk_main_do_event(event.get());
}

// Focuses `target` and sends `stroke` through its toplevel window; false
// when the target is not in a realised window.
inline bool sendKeyStroke(GtkWidget* target, const KeyStroke& stroke) {
  GtkWidget* top = gtk_widget_get_toplevel(target);
  if (!GTK_IS_WINDOW(top) || !gtk_widget_get_realized(top)) return false;
  gtk_widget_grab_focus(target);
  for (GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) sendKeyEvent(top, stroke, type);
  return true;
}

}  // namespace pellora::gtk
