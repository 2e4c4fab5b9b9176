// The platform's visual surface, in a file of its own so that programs and
// tests that bring their own surface do not link WebKit's.
#include "platform/gtk/gtk_platform.h"
#include "platform/gtk/webkit_surface.h"

namespace pellora::gtk {

SurfaceParts createWebKitSurface() {
  auto surface = std::make_unique<WebKitEditingSurface>();
  GtkWidget* widget = surface->widget();
  return {std::move(surface), widget};
}

}  // namespace pellora::gtk
