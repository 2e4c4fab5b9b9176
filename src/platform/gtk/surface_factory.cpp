// The platform's visual surface, in a file of its own so that programs and
// tests that bring their own surface do not link WebKit's.
#include "platform/gtk/gtk_platform.h"
#include "platform/gtk/webkit_surface.h"

namespace pellora::gtk {

std::unique_ptr<ui::EditingSurface> createWebKitSurface() {
  return std::make_unique<WebKitEditingSurface>();
}

}  // namespace pellora::gtk
