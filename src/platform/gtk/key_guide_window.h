// F1 (or Ctrl+?) in either view shows every key the editor answers to, in
// the interface language, in a window of its own.
#pragma once

#include <gtk/gtk.h>

#include "platform/gtk/signal_connection.h"

namespace pellora::gtk {

// Whether a key press asks for the list of keys.
bool isKeyGuideKey(guint keyval, GdkModifierType state);

// Shows the list over the window that holds `parent` until it is closed.
void showKeyGuide(GtkWidget* parent);

// Follows the key-list keys that reach `form` (the editor's widget tree),
// the visual view `visual` (may be null) and the HTML view found in `form`,
// whose own key handling comes before the form's.
class KeyGuideKeys {
 public:
  KeyGuideKeys(GtkWidget* form, GtkWidget* visual);

 private:
  SignalConnection formKeys_, visualKeys_, sourceKeys_;
};

}  // namespace pellora::gtk
