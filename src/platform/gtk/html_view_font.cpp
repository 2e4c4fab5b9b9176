// Covered by tests/app/zoom_journey_test.cpp.
#include "platform/gtk/html_view_font.h"

#include <string>

#include "platform/gtk/gobject_ptr.h"

namespace pellora::gtk {

namespace {

constexpr char kFontStyleKey[] = "pellora-font-style";
constexpr double kFontPx = 13;

GtkCssProvider* fontStyle(GtkSourceView* view) {
  if (auto* own = static_cast<GtkCssProvider*>(g_object_get_data(G_OBJECT(view), kFontStyleKey)))
    return own;
  GObjectPtr<GtkCssProvider> style = adopt(gtk_css_provider_new());
  gtk_style_context_add_provider(gtk_widget_get_style_context(GTK_WIDGET(view)),
                                 GTK_STYLE_PROVIDER(style.get()),
                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  GtkCssProvider* raw = style.release();
  g_object_set_data_full(G_OBJECT(view), kFontStyleKey, raw, g_object_unref);
  return raw;
}

}  // namespace

void setHtmlViewFontScale(GtkSourceView* view, double scale) {
  // CSS wants a decimal point whatever the locale.
  char size[G_ASCII_DTOSTR_BUF_SIZE];
  g_ascii_formatd(size, sizeof size, "%.2f", kFontPx * scale);
  const std::string css = std::string("textview, textview text { font-family: \"Courier New\", ") +
                          "monospace; font-size: " + size + "px; }";
  gtk_css_provider_load_from_data(fontStyle(view), css.c_str(), -1, nullptr);
}

}  // namespace pellora::gtk
