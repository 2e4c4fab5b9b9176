// F6 and Ctrl+Tab (with Shift, backwards) move the keyboard focus between
// the editor's panes: from the view of the active page to the tool bars
// and from the tool bars back to the view. The visual view keeps Tab for
// its text, so without them the keyboard could never leave it.
// Covered by tests/platform/gtk/accessible_names_test.cpp.
#pragma once

#include <gtk/gtk.h>

#include <optional>

#include "platform/gtk/signal_connection.h"

namespace pellora::gtk {

enum class PaneDirection { Forward, Backward };

// The direction a key press moves between panes, if it is a pane key.
std::optional<PaneDirection> paneKeyFor(guint keyval, GdkModifierType state);

// Follows the pane keys that reach `form` (the editor's widget tree) with
// the tool bars `bars` and the page control `pages`, both inside `form`,
// and those of the visual view `visual` (may be null), whose engine would
// take them first. Gives the handler on `visual` (none without one), which
// its owner drops when the view leaves `form`.
SignalConnection followPaneKeys(GtkWidget* form, GtkWidget* visual, GtkWidget* bars,
                                GtkWidget* pages);

}  // namespace pellora::gtk
