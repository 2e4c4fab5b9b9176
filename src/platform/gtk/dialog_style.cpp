#include "platform/gtk/dialog_style.h"

#include <string>

#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/gtk_text.h"
#include "platform/gtk/resource_bundle.h"

namespace pellora::gtk {

namespace {

std::string css(const ui::Font& font) {
  std::string family;
  for (char c : toWidgetText(font.name)) {
    if (c != '"' && c != '\\' && c != ';' && c != '}') family += c;
  }
  // Negative heights are pixels, positive ones points.
  const std::string size =
      font.height < 0 ? std::to_string(-font.height) + "px" : std::to_string(font.height) + "pt";
  return "* { font-family: \"" + family + "\", sans-serif; font-size: " + size + "; }\n" +
         resourceText("css/dialog.css");
}

void attach(GtkWidget* widget, gpointer provider) {
  gtk_style_context_add_provider(gtk_widget_get_style_context(widget), GTK_STYLE_PROVIDER(provider),
                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  if (GTK_IS_CONTAINER(widget)) gtk_container_forall(GTK_CONTAINER(widget), attach, provider);
}

}  // namespace

void styleDialog(GtkWidget* root, const ui::Font& font) {
  auto provider = adopt(gtk_css_provider_new());
  const std::string text = css(font);
  gtk_css_provider_load_from_data(provider.get(), text.c_str(), -1, nullptr);
  attach(root, provider.get());
}

}  // namespace pellora::gtk
