// Covered by tests/platform/gtk/tool_bar_test.cpp.
#include "platform/gtk/own_icons.h"

#include <gtk/gtk.h>

#include "platform/gtk/resource_bundle.h"

namespace pellora::gtk {

void registerOwnIcons() {
  static const bool registered = [] {
    registerResources();
    gtk_icon_theme_add_resource_path(gtk_icon_theme_get_default(), "/com/brixel/pellora/icons");
    return true;
  }();
  (void)registered;
}

}  // namespace pellora::gtk
