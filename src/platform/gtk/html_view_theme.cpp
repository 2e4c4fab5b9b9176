// Covered by tests/platform/gtk/html_view_theme_test.cpp.
#include "platform/gtk/html_view_theme.h"

#include <gtk/gtk.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "platform/gtk/callback_boundary.h"
#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/source_view.h"

namespace pellora::gtk {

namespace {

// The light scheme's roles on a dark page: comments gray; tag names,
// attribute names, symbols and values light blue; server script light red;
// entities, unknown tags and text in the default colour; nothing bold.
constexpr const char* kDarkScheme = R"(<?xml version="1.0" encoding="UTF-8"?>
<style-scheme id="pellora-dark" name="Pellora Dark" version="1.0">
  <style name="text" foreground="#EEEEEC" background="#1E1E1E"/>
  <style name="selection" foreground="#FFFFFF" background="#215D9C"/>
  <style name="cursor" foreground="#EEEEEC"/>
  <style name="def:comment" foreground="#9A9A9A"/>
  <style name="xml:comment" foreground="#9A9A9A"/>
  <style name="html:comment" foreground="#9A9A9A"/>
  <style name="xml:element-name" foreground="#8AB4F8"/>
  <style name="html:tag" foreground="#8AB4F8"/>
  <style name="xml:attribute-name" foreground="#8AB4F8"/>
  <style name="html:attrib-name" foreground="#8AB4F8"/>
  <style name="xml:attribute-value" foreground="#8AB4F8"/>
  <style name="html:attrib-value" foreground="#8AB4F8"/>
  <style name="html:dtd" foreground="#8AB4F8"/>
  <style name="html:error" foreground="#EEEEEC"/>
  <style name="xml:entity" foreground="#EEEEEC"/>
  <style name="def:heading0" bold="false"/>
  <style name="def:heading1" bold="false"/>
  <style name="def:heading2" bold="false"/>
  <style name="def:heading3" bold="false"/>
  <style name="def:heading4" bold="false"/>
  <style name="def:heading5" bold="false"/>
  <style name="def:heading6" bold="false"/>
  <style name="html:title" bold="false"/>
  <style name="html:h1" bold="false"/>
  <style name="html:h2" bold="false"/>
  <style name="html:h3" bold="false"/>
  <style name="html:h4" bold="false"/>
  <style name="html:h5" bold="false"/>
  <style name="html:h6" bold="false"/>
  <style name="pellora-html:server-script" foreground="#FF9A8A"/>
  <style name="current-line" background="#1E1E1E"/>
  <style name="right-margin" foreground="#1E1E1E" background="#1E1E1E"/>
</style-scheme>
)";

// A manager of its own: adding a folder to the default one reloads its
// schemes and would free the light scheme under the views that use it.
class DarkDefinitions {
 public:
  DarkDefinitions() {
    GCharPtr dir(g_dir_make_tmp("pellora-dark-scheme-XXXXXX", nullptr));
    if (!dir) return;
    dir_ = dir.get();
    std::ofstream(dir_ / "pellora-dark.xml") << kDarkScheme;
    manager_ = adopt(gtk_source_style_scheme_manager_new());
    const gchar* paths[] = {dir.get(), nullptr};
    gtk_source_style_scheme_manager_set_search_path(manager_.get(), const_cast<gchar**>(paths));
    scheme_ = gtk_source_style_scheme_manager_get_scheme(manager_.get(), "pellora-dark");
  }
  ~DarkDefinitions() {
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
  }
  GtkSourceStyleScheme* scheme() const { return scheme_; }

 private:
  std::filesystem::path dir_;
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
