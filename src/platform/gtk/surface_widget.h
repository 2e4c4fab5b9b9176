// What the GTK front end needs of a visual surface beyond the editor's
// interface: the widget that shows it, and word that it goes. The editor
// form owns its surface and destroys it first when the form is freed, so a
// view bound to the form learns here that its model is about to go and can
// let go of it while every control still exists.
#pragma once

#include <gtk/gtk.h>

#include "ui/signal.h"

namespace pellora::gtk {

class SurfaceWidget {
 public:
  // The surface holds a reference of its own; the embedder packs it into a
  // container.
  virtual GtkWidget* widget() const = 0;

  // Raised at the start of the surface's destruction, once it has let go of
  // its client and while its widget still exists.
  ui::Signal<> destroying;

 protected:
  ~SurfaceWidget() = default;
};

}  // namespace pellora::gtk
