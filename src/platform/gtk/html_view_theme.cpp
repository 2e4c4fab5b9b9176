// Covered by tests/platform/gtk/html_view_theme_test.cpp.
#include "platform/gtk/html_view_theme.h"

#include <gtk/gtk.h>

#include <cstring>
#include <string>
#include <string_view>

#include "platform/gtk/callback_boundary.h"
#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/source_view.h"
#include "platform/gtk/source_view_definitions.h"

namespace pellora::gtk {

namespace {

// A manager of its own: adding a folder to the default one reloads its
// schemes and would free the light scheme under the views that use it.
class DarkDefinitions {
 public:
  DarkDefinitions() {
    const std::string& dir = htmlViewDarkSchemeFolder();
    if (dir.empty()) return;
    manager_ = adopt(gtk_source_style_scheme_manager_new());
    const gchar* paths[] = {dir.c_str(), nullptr};
    gtk_source_style_scheme_manager_set_search_path(manager_.get(), const_cast<gchar**>(paths));
    scheme_ = gtk_source_style_scheme_manager_get_scheme(manager_.get(), "pellora-dark");
  }
  GtkSourceStyleScheme* scheme() const { return scheme_; }

 private:
  GObjectPtr<GtkSourceStyleSchemeManager> manager_;
  GtkSourceStyleScheme* scheme_ = nullptr;
};

bool endsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && g_ascii_strncasecmp(text.data() + text.size() - tail.size(),
                                                           tail.data(), tail.size()) == 0;
}

void applyScheme(GtkSourceBuffer* buffer) {
  GtkSourceStyleScheme* scheme = desktopThemeIsDark() ? htmlViewDarkScheme() : htmlViewScheme();
  if (scheme && gtk_source_buffer_get_style_scheme(buffer) != scheme)
    gtk_source_buffer_set_style_scheme(buffer, scheme);
}

void onThemeChanged(GtkSettings*, GParamSpec*, gpointer buffer) {
  applyScheme(GTK_SOURCE_BUFFER(buffer));
}

}  // namespace

bool darkTheme(const char* environment, const char* themeName, bool preferDark) {
  // GTK_THEME names the theme and its variant and overrides both settings.
  if (environment && *environment) {
    return endsWith(environment, ":dark") || endsWith(environment, "-dark");
  }
  return preferDark ||
         (themeName && (endsWith(themeName, "-dark") || endsWith(themeName, ":dark")));
}

bool desktopThemeIsDark() {
  GtkSettings* settings = gtk_settings_get_default();
  GCharPtr name;
  gboolean preferDark = FALSE;
  if (settings) {
    gchar* raw = nullptr;
    g_object_get(settings, "gtk-theme-name", &raw, "gtk-application-prefer-dark-theme", &preferDark,
                 nullptr);
    name.reset(raw);
  }
  return darkTheme(g_getenv("GTK_THEME"), name.get(), preferDark);
}

GtkSourceStyleScheme* htmlViewDarkScheme() {
  static const DarkDefinitions instance;
  return instance.scheme();
}

void followDesktopTheme(GtkSourceBuffer* buffer) {
  applyScheme(buffer);
  GtkSettings* settings = gtk_settings_get_default();
  if (!settings) return;
  // Disconnected when the buffer goes.
  for (const char* signal : {"notify::gtk-theme-name", "notify::gtk-application-prefer-dark-theme"})
    g_signal_connect_object(settings, signal, G_CALLBACK((guardedCallback<&onThemeChanged>)),
                            buffer, GConnectFlags{});
}

}  // namespace pellora::gtk
