#include "platform/gtk/binding/widget_style.h"

#include <string>

#include "platform/gtk/gobject_ptr.h"

namespace pellora::gtk::binding {

namespace {

// Windows colour (0x00BBGGRR) as a Pango colour; system colours keep the
// theme's choice.
bool pangoColour(ui::Color colour, PangoColor& out) {
  if (colour & 0x80000000u) return false;
  out.red = static_cast<guint16>((colour & 0xFF) * 257);
  out.green = static_cast<guint16>(((colour >> 8) & 0xFF) * 257);
  out.blue = static_cast<guint16>(((colour >> 16) & 0xFF) * 257);
  return true;
}

struct AttrListUnref {
  void operator()(PangoAttrList* list) const { pango_attr_list_unref(list); }
};

}  // namespace

void applyFont(GtkLabel* label, const ui::Font& font) {
  std::unique_ptr<PangoAttrList, AttrListUnref> attrs(pango_attr_list_new());
  if (font.bold) pango_attr_list_insert(attrs.get(), pango_attr_weight_new(PANGO_WEIGHT_BOLD));
  if (font.italic) pango_attr_list_insert(attrs.get(), pango_attr_style_new(PANGO_STYLE_ITALIC));
  if (font.underline)
    pango_attr_list_insert(attrs.get(), pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
  // Only sizes above the design default stand out (titles); the rest keep
  // the desktop's size.
  if (font.height < -11) {
    pango_attr_list_insert(attrs.get(), pango_attr_size_new_absolute(-font.height * PANGO_SCALE));
  }
  PangoColor colour;
  if (pangoColour(font.color, colour)) {
    pango_attr_list_insert(attrs.get(),
                           pango_attr_foreground_new(colour.red, colour.green, colour.blue));
  }
  gtk_label_set_attributes(label, attrs.get());
}

// The desktop's own colours stand for the system colours of a window
// (clWindow) and of a button face (clBtnFace).
void applyBackground(GtkWidget* entry, ui::Color colour) {
  std::string value;
  if (colour == ui::clWindow) {
    value = "@theme_base_color";
  } else if (colour == ui::clBtnFace) {
    value = "@theme_bg_color";
  } else if (PangoColor rgb; pangoColour(colour, rgb)) {
    char hex[8];
    g_snprintf(hex, sizeof hex, "#%02x%02x%02x", rgb.red >> 8, rgb.green >> 8, rgb.blue >> 8);
    value = hex;
  } else {
    return;
  }
  // One provider per field, reloaded on each change; the widget keeps it
  // for as long as it lives.
  constexpr const char* kProviderKey = "pellora-background";
  auto* provider = static_cast<GtkCssProvider*>(g_object_get_data(G_OBJECT(entry), kProviderKey));
  if (!provider) {
    provider = gtk_css_provider_new();
    gtk_style_context_add_provider(gtk_widget_get_style_context(entry),
                                   GTK_STYLE_PROVIDER(provider),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_set_data_full(G_OBJECT(entry), kProviderKey, provider, g_object_unref);
  }
  const std::string css =
      "entry, entry:disabled { background-color: " + value + "; background-image: none; }";
  gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
}

}  // namespace pellora::gtk::binding
