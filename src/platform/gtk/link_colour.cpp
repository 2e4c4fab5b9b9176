#include "platform/gtk/link_colour.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/gtk/callback_boundary.h"

namespace pellora::gtk {

namespace {

double linear(double channel) {
  return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double luminance(const GdkRGBA& c) {
  return 0.2126 * linear(c.red) + 0.7152 * linear(c.green) + 0.0722 * linear(c.blue);
}

GdkRGBA mix(const GdkRGBA& from, const GdkRGBA& to, double share) {
  return {from.red + (to.red - from.red) * share, from.green + (to.green - from.green) * share,
          from.blue + (to.blue - from.blue) * share, 1.0};
}

GdkRGBA colourOf(GtkStyleContext* context) {
  GdkRGBA colour{};
  gtk_style_context_get_color(context, gtk_style_context_get_state(context), &colour);
  return colour;
}

// The theme's link colour where `label` stands, read from a context of its
// own: the label's context carries our correction.
GdkRGBA themeLinkColour(GtkWidget* label) {
  GtkStyleContext* own = gtk_style_context_new();
  gtk_style_context_set_path(own, gtk_widget_get_path(label));
  gtk_style_context_set_screen(own, gtk_widget_get_screen(label));
  gtk_style_context_set_state(own, GTK_STATE_FLAG_LINK);
  const GdkRGBA colour = colourOf(own);
  g_object_unref(own);
  return colour;
}

constexpr const char* kProviderKey = "pellora-link-colour";
constexpr const char* kLoadedKey = "pellora-link-css";

void follow(GtkWidget* label, gpointer) {
  GtkWidget* parent = gtk_widget_get_parent(label);
  if (!parent) return;
  const GdkRGBA text = colourOf(gtk_widget_get_style_context(parent));
  const GdkRGBA shown = readableLinkColour(themeLinkColour(label), text, backgroundUnder(label));
  gchar* value = gdk_rgba_to_string(&shown);
  const std::string css = std::string("label { color: ") + value + "; }";
  g_free(value);
  // Loading the same again would restyle the label and call this anew.
  const auto* loaded = static_cast<const gchar*>(g_object_get_data(G_OBJECT(label), kLoadedKey));
  if (loaded && css == loaded) return;
  auto* provider = static_cast<GtkCssProvider*>(g_object_get_data(G_OBJECT(label), kProviderKey));
  if (!provider) {
    provider = gtk_css_provider_new();
    gtk_style_context_add_provider(gtk_widget_get_style_context(label),
                                   GTK_STYLE_PROVIDER(provider),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_set_data_full(G_OBJECT(label), kProviderKey, provider, g_object_unref);
  }
  g_object_set_data_full(G_OBJECT(label), kLoadedKey, g_strdup(css.c_str()), g_free);
  gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
}

}  // namespace

double contrastRatio(const GdkRGBA& a, const GdkRGBA& b) {
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

GdkRGBA readableLinkColour(const GdkRGBA& link, const GdkRGBA& text, const GdkRGBA& background) {
  if (contrastRatio(link, background) >= kReadableContrast) return link;
  // The least share of the text colour that reads: the contrast grows with
  // the share as long as the text stands out more than the link.
  double low = 0, high = 1;
  for (int step = 0; step < 20; ++step) {
    const double middle = (low + high) / 2;
    (contrastRatio(mix(link, text, middle), background) >= kReadableContrast ? high : low) = middle;
  }
  return mix(link, text, high);
}

GdkRGBA backgroundUnder(GtkWidget* widget) {
  for (GtkWidget* at = widget; at; at = gtk_widget_get_parent(at)) {
    GtkStyleContext* context = gtk_widget_get_style_context(at);
    GdkRGBA* colour = nullptr;
    gtk_style_context_get(context, gtk_style_context_get_state(context), "background-color",
                          &colour, nullptr);
    const GdkRGBA found = colour ? *colour : GdkRGBA{};
    gdk_rgba_free(colour);
    if (found.alpha > 0.5) return found;
  }
  return {1, 1, 1, 1};
}

void showAsLink(GtkLabel* label) {
  gtk_widget_set_state_flags(GTK_WIDGET(label), GTK_STATE_FLAG_LINK, FALSE);
  // Placed in a window, and whenever the theme changes.
  g_signal_connect(label, "style-updated", G_CALLBACK((guardedCallback<&follow>)), nullptr);
  g_signal_connect(label, "hierarchy-changed", G_CALLBACK((guardedCallback<&follow>)), nullptr);
}

}  // namespace pellora::gtk
