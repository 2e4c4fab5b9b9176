// Every text colour of our own reads at least 4.5:1 against what it stands
// on, in the light and in the dark Adwaita: the About box's link (the
// theme's link colour, made readable where the theme's falls short) and
// each style of the HTML view's two schemes.
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "platform/gtk/dialog_style.h"
#include "platform/gtk/form_binding.h"
#include "platform/gtk/gtk_fixture.h"
#include "platform/gtk/link_colour.h"
#include "settings/about.h"

namespace pellora::gtk::test {
namespace {

GdkRGBA colourOf(GtkWidget* widget) {
  GdkRGBA colour{};
  GtkStyleContext* context = gtk_widget_get_style_context(widget);
  gtk_style_context_get_color(context, gtk_style_context_get_state(context), &colour);
  return colour;
}

GdkRGBA parsed(const std::string& text) {
  GdkRGBA colour{};
  EXPECT_TRUE(gdk_rgba_parse(&colour, text.c_str())) << text;
  return colour;
}

class TextContrastTest : public GtkTest {};

TEST_F(TextContrastTest, TheAboutLinkReadsAndStaysALinkInLightAndDark) {
  // The theme through the settings: GTK_THEME would override them.
  const pellora::test::ScopedEnv environment("GTK_THEME", std::nullopt);
  GtkSettings* settings = gtk_settings_get_default();
  gchar* themeBefore = nullptr;
  gboolean darkBefore = FALSE;
  g_object_get(settings, "gtk-theme-name", &themeBefore, "gtk-application-prefer-dark-theme",
               &darkBefore, nullptr);
  for (const gboolean dark : {gboolean{FALSE}, gboolean{TRUE}}) {
    SCOPED_TRACE(dark ? "Adwaita dark" : "Adwaita");
    g_object_set(settings, "gtk-theme-name", "Adwaita", "gtk-application-prefer-dark-theme", dark,
                 nullptr);
    TAboutForm about;
    FormBinding binding(about);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    styleDialog(binding.widget(), about.font());
    gtk_container_add(GTK_CONTAINER(window), binding.widget());
    gtk_widget_show_all(window);
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);

    GtkWidget* link = binding.widgetFor(about.Label1.name());
    const GdkRGBA colour = colourOf(link), background = backgroundUnder(link);
    gchar* shown = gdk_rgba_to_string(&colour);
    EXPECT_GE(contrastRatio(colour, background), kReadableContrast) << shown;
    EXPECT_GE(contrastRatio(colour, colourOf(window)), 1.5) << shown << " is the text's colour";
    g_free(shown);
    gtk_widget_destroy(window);
  }
  g_object_set(settings, "gtk-theme-name", themeBefore, "gtk-application-prefer-dark-theme",
               darkBefore, nullptr);
  g_free(themeBefore);
}

// Each style's text colour against its own background, else the page's.
TEST(HtmlViewSchemeContrast, EveryStyleReadsOnItsPage) {
  const std::regex style("<style name=\"([^\"]+)\"([^>]*)/>");
  const std::regex foreground("foreground=\"(#\\w{6})\""), background("background=\"(#\\w{6})\"");
  for (const char* file : {"pellora.xml", "pellora-dark.xml"}) {
    std::stringstream scheme;
    scheme << std::ifstream(std::string(PELLORA_GTK_RESOURCES) + "/sourceview/" + file).rdbuf();
    const std::string xml = scheme.str();
    std::string page;
    int checked = 0;
    for (std::sregex_iterator at(xml.begin(), xml.end(), style), end; at != end; ++at) {
      const std::string name = (*at)[1], attributes = (*at)[2];
      std::smatch fg, bg;
      const bool ownBackground = std::regex_search(attributes, bg, background);
      if (name == "text") page = bg[1];
      // The right margin's line is drawn in the page's colour to hide it.
      if (name == "right-margin" || !std::regex_search(attributes, fg, foreground)) continue;
      const std::string under = ownBackground ? bg[1].str() : page;
      EXPECT_GE(contrastRatio(parsed(fg[1]), parsed(under)), kReadableContrast)
          << file << " " << name << ": " << fg[1] << " on " << under;
      ++checked;
    }
    EXPECT_GT(checked, 5) << file;
  }
}

}  // namespace
}  // namespace pellora::gtk::test
