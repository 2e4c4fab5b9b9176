// The HTML view's colours follow the desktop theme: the editor's light
// scheme on a light theme, a dark one (dark page, light text) on a dark
// theme, chosen again when the theme setting changes.
#include "platform/gtk/html_view_theme.h"

#include <optional>
#include <string>

#include "platform/gtk/gtk_fixture.h"
#include "platform/gtk/source_view.h"

namespace pellora::gtk::test {
namespace {

class HtmlViewThemeTest : public GtkTest {};

// Sets an environment variable for one scope and restores it afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = g_getenv(name)) old_ = old;
    if (value)
      g_setenv(name, value, TRUE);
    else
      g_unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      g_setenv(name_, old_->c_str(), TRUE);
    else
      g_unsetenv(name_);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(HtmlViewThemeChoice, DarkThemesAreRecognisedFromTheEnvironmentAndTheSettings) {
  struct Case {
    const char* environment;
    const char* themeName;
    bool preferDark;
    bool dark;
  };
  for (const Case& c : {
           Case{nullptr, "Adwaita", false, false},
           Case{nullptr, "Adwaita", true, true},
           Case{nullptr, "Adwaita-dark", false, true},
           Case{nullptr, "Yaru-Dark", false, true},
           Case{nullptr, "Adwaita:dark", false, true},
           Case{nullptr, "Darkness", false, false},
           Case{nullptr, nullptr, false, false},
           Case{"", "Adwaita-dark", false, true},
           Case{"Adwaita:dark", "Adwaita", false, true},
           Case{"Adwaita-dark", nullptr, false, true},
           // GTK_THEME overrides the settings, the preference included.
           Case{"Adwaita", "Adwaita-dark", true, false},
           Case{"HighContrast", nullptr, false, false},
       }) {
    SCOPED_TRACE(std::string(c.environment ? c.environment : "(unset)") + " / " +
                 (c.themeName ? c.themeName : "(unset)") + (c.preferDark ? " / prefer dark" : ""));
    EXPECT_EQ(darkTheme(c.environment, c.themeName, c.preferDark), c.dark);
  }
}

// Relative luminance of a scheme colour, 0 (black) to 1 (white).
double luminance(GtkSourceStyle* style, const char* property) {
  gchar* value = nullptr;
  g_object_get(style, property, &value, nullptr);
  GdkRGBA rgba{};
  const bool parsed = value && gdk_rgba_parse(&rgba, value);
  g_free(value);
  EXPECT_TRUE(parsed) << property;
  return 0.2126 * rgba.red + 0.7152 * rgba.green + 0.0722 * rgba.blue;
}

double pageMinusText(GtkSourceStyleScheme* scheme) {
  GtkSourceStyle* text = gtk_source_style_scheme_get_style(scheme, "text");
  EXPECT_NE(text, nullptr);
  if (!text) return 0;
  return luminance(text, "background") - luminance(text, "foreground");
}

TEST_F(HtmlViewThemeTest, UnderADarkGtkThemeTheViewUsesTheDarkScheme) {
  ui::Control model(ui::ControlKind::SourceEditor, "mmoHTML");
  {
    ScopedEnv theme("GTK_THEME", "Adwaita:dark");
    SourceViewBinding view(model, nullptr);
    GtkSourceStyleScheme* scheme = gtk_source_buffer_get_style_scheme(view.buffer());
    ASSERT_NE(scheme, nullptr);
    EXPECT_EQ(scheme, htmlViewDarkScheme());
    EXPECT_LT(pageMinusText(scheme), -0.5) << "the page is not darker than the text";
    // The markup stays readable on the dark page.
    GtkSourceStyle* tag = gtk_source_style_scheme_get_style(scheme, "html:tag");
    ASSERT_NE(tag, nullptr);
    EXPECT_GT(luminance(tag, "foreground"), 0.3);
  }
  {
    ScopedEnv theme("GTK_THEME", "Adwaita");
    SourceViewBinding view(model, nullptr);
    GtkSourceStyleScheme* scheme = gtk_source_buffer_get_style_scheme(view.buffer());
    EXPECT_EQ(scheme, htmlViewScheme());
    EXPECT_GT(pageMinusText(scheme), 0.5) << "the light page is not lighter than the text";
  }
}

TEST_F(HtmlViewThemeTest, AnOpenViewFollowsTheThemeSettingWhenItChanges) {
  ScopedEnv theme("GTK_THEME", nullptr);
  GtkSettings* settings = gtk_settings_get_default();
  ASSERT_NE(settings, nullptr);
  gboolean preferredDark = FALSE;
  gchar* name = nullptr;
  g_object_get(settings, "gtk-application-prefer-dark-theme", &preferredDark, "gtk-theme-name",
               &name, nullptr);
  g_object_set(settings, "gtk-application-prefer-dark-theme", FALSE, "gtk-theme-name", "Adwaita",
               nullptr);
  ui::Control model(ui::ControlKind::SourceEditor, "mmoHTML");
  {
    SourceViewBinding view(model, nullptr);
    EXPECT_EQ(gtk_source_buffer_get_style_scheme(view.buffer()), htmlViewScheme());

    g_object_set(settings, "gtk-application-prefer-dark-theme", TRUE, nullptr);
    EXPECT_EQ(gtk_source_buffer_get_style_scheme(view.buffer()), htmlViewDarkScheme());
    g_object_set(settings, "gtk-application-prefer-dark-theme", FALSE, nullptr);
    EXPECT_EQ(gtk_source_buffer_get_style_scheme(view.buffer()), htmlViewScheme());

    g_object_set(settings, "gtk-theme-name", "Adwaita-dark", nullptr);
    EXPECT_EQ(gtk_source_buffer_get_style_scheme(view.buffer()), htmlViewDarkScheme());
    g_object_set(settings, "gtk-theme-name", "Adwaita", nullptr);
    EXPECT_EQ(gtk_source_buffer_get_style_scheme(view.buffer()), htmlViewScheme());
  }
  // Changes after the view has gone reach nothing that is not there.
  g_object_set(settings, "gtk-application-prefer-dark-theme", preferredDark, "gtk-theme-name", name,
               nullptr);
  g_free(name);
}

}  // namespace
}  // namespace pellora::gtk::test
