#include "platform/gtk/surface_keys.h"

#include <gdk/gdkkeysyms.h>

namespace pellora::gtk {

std::optional<SurfaceKey> surfaceKeyFor(guint keyval, GdkModifierType state) {
  const guint mods = state & (GDK_CONTROL_MASK | GDK_SHIFT_MASK | GDK_MOD1_MASK | GDK_SUPER_MASK);
  // Shift makes the key an upper-case letter; the letter is what counts.
  const guint key = gdk_keyval_to_lower(keyval);
  if (mods == GDK_CONTROL_MASK) {
    switch (key) {
      case GDK_KEY_z:
        return SurfaceKey::Undo;
      case GDK_KEY_y:
        return SurfaceKey::Redo;
      case GDK_KEY_b:
        return SurfaceKey::Bold;
      case GDK_KEY_i:
        return SurfaceKey::Italic;
      case GDK_KEY_u:
        return SurfaceKey::Underline;
      case GDK_KEY_k:
        return SurfaceKey::Hyperlink;
      default:
        return std::nullopt;
    }
  }
  if (mods == (GDK_CONTROL_MASK | GDK_SHIFT_MASK)) {
    switch (key) {
      case GDK_KEY_z:
        return SurfaceKey::Redo;
      case GDK_KEY_v:
        return SurfaceKey::PastePlainText;
      default:
        return std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace pellora::gtk
