// Zoom for the editor's two views together: Ctrl+plus (Ctrl+equal,
// Ctrl+keypad plus) and Ctrl+minus step in and out, Ctrl+0 goes back to the
// normal size, and Ctrl+wheel steps as well. The visual view scales its
// page, the HTML view its font. The zoom is kept in the settings store at
// each change and applied when the next editor is bound.
#pragma once

#include <gtksourceview/gtksource.h>

#include <cstdint>
#include <optional>

#include "platform/gtk/signal_connection.h"
#include "platform/gtk/zoom_level.h"
#include "settings/registry.h"

namespace pellora::gtk {

// The zoom a key press asks for, if it is a zoom key.
std::optional<ZoomAction> zoomKeyFor(guint keyval, GdkModifierType state);

class ViewZoom {
 public:
  // Follows the zoom keys that reach `form` (the editor's widget tree), and
  // the keys and Ctrl+wheel of the visual view `visual` (may be null) and of
  // the HTML view (the source view found in `form`), which would take them
  // before `form` sees them. Applies the zoom `store` holds now.
  ViewZoom(GtkWidget* form, GtkWidget* visual, settings::RegistryStore store);
  ViewZoom(const ViewZoom&) = delete;
  ViewZoom& operator=(const ViewZoom&) = delete;

  std::uint32_t percent() const { return percent_; }
  void act(ZoomAction action);

 private:
  static gboolean onKeyPress(GtkWidget*, GdkEventKey* event, gpointer data);
  static gboolean onScroll(GtkWidget*, GdkEventScroll* event, gpointer data);
  void apply();

  GtkWidget* visual_;
  GtkSourceView* source_ = nullptr;
  settings::RegistryStore store_;
  std::uint32_t percent_;
  // Smooth scrolling reports fractions of a wheel notch; one step a notch.
  double pendingScroll_ = 0;
  SignalConnection formKeys_, visualKeys_, visualScroll_, sourceKeys_, sourceScroll_;
};

}  // namespace pellora::gtk
