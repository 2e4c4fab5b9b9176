// The keys the visual view acts on itself, before the engine sees them:
// undo and redo of the engine's edits, the formatting and link keys of the
// tool bar, and pasting the clipboard as plain text. Every other key goes
// to the engine and, when it leaves it unhandled, on to the host.
// Covered by tests/platform/gtk/surface_keys_test.cpp.
#pragma once

#include <gtk/gtk.h>

#include <optional>

namespace pellora::gtk {

enum class SurfaceKey { Undo, Redo, Bold, Italic, Underline, Hyperlink, PastePlainText };

// The action of a key press, if the view has one for it. Lock keys
// (Caps Lock, Num Lock) do not count.
std::optional<SurfaceKey> surfaceKeyFor(guint keyval, GdkModifierType state);

}  // namespace pellora::gtk
