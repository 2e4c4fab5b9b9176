// The editor's own symbolic icons (tables, background colour), shipped as
// a GResource for the actions the desktop theme has no icon for. They join
// the icon theme as part of its fallback, so tool buttons name them like
// any theme icon and GTK recolours them with the theme.
#pragma once

namespace pellora::gtk {

// Registers the icons with the default icon theme; later calls do nothing.
void registerOwnIcons();

}  // namespace pellora::gtk
