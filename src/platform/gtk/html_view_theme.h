// The HTML view's colours follow the desktop theme: the editor's own scheme
// (white page, navy markup) on a light theme, and a dark counterpart on a
// dark one, chosen again whenever the theme setting changes.
#pragma once

#include <gtksourceview/gtksource.h>

namespace pellora::gtk {

// Whether these describe a dark theme: `environment` is GTK_THEME
// ("Adwaita:dark"), which overrides the settings when set; `themeName` the
// gtk-theme-name setting ("Adwaita-dark"); `preferDark` the
// gtk-application-prefer-dark-theme setting. nullptr stands for unset.
bool darkTheme(const char* environment, const char* themeName, bool preferDark);

// Whether the desktop's GTK theme is dark now.
bool desktopThemeIsDark();

// The dark counterpart of htmlViewScheme() (created once per process).
GtkSourceStyleScheme* htmlViewDarkScheme();

// Gives `buffer` the scheme for the desktop's theme now and whenever the
// theme changes, for as long as the buffer lives.
void followDesktopTheme(GtkSourceBuffer* buffer);

}  // namespace pellora::gtk
