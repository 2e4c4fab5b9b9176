// What is on screen: loading done, control states, the two views' texts
// and zoom, pixels.
#include <webkit2/webkit2.h>

#include <cstdio>
#include <cstdlib>

#include "app/host/script_steps.h"
#include "app/host/window_capture.h"
#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/surface_scripts.h"
#include "platform/gtk/webkit_surface.h"
#include "platform/gtk/widget_search.h"

namespace pellora::host {

bool waitStep(StepContext& c, const Words&) {
  GtkWidget* view = visualView(c.window);
  const bool done = runUntil([view] {
    // The surface marks the view busy from the put of a document until the
    // editor has seen it complete.
    return !view || (!webkit_web_view_is_loading(WEBKIT_WEB_VIEW(view)) &&
                     !g_object_get_data(G_OBJECT(view), gtk::kBusyKey));
  });
  settle();
  return done || why("the view is still loading");
}

bool stateStep(StepContext& c, const Words& args) {
  // What the steps before did reaches the buttons through the page's reports.
  awaitPageReports(c.window);
  GtkWidget* target = gtk::findWidget(c.window, args[0]);
  if (!target) return why("there is no " + args[0]);
  const bool down =
      (GTK_IS_TOGGLE_TOOL_BUTTON(target) &&
       gtk_toggle_tool_button_get_active(GTK_TOGGLE_TOOL_BUTTON(target))) ||
      (GTK_IS_TOGGLE_BUTTON(target) && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(target)));
  std::string shown;
  if (GTK_IS_COMBO_BOX_TEXT(target)) {
    gchar* active = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(target));
    shown = std::string(", \"") + (active ? active : "") + "\"";
    g_free(active);
  }
  std::printf("  %s: %s, %s%s\n", args[0].c_str(), down ? "down" : "up",
              gtk_widget_is_sensitive(target) ? "enabled" : "disabled", shown.c_str());
  return true;
}

bool hintStep(StepContext& c, const Words& args) {
  GtkWidget* target = gtk::findWidget(c.window, args[0]);
  if (!target) return why("there is no " + args[0]);
  gchar* tip = gtk_widget_get_tooltip_text(target);
  std::printf("  %s: %s\n", args[0].c_str(), tip ? tip : "");
  g_free(tip);
  return true;
}

bool sourceStep(StepContext& c, const Words&) {
  GtkWidget* view = htmlView(c.window);
  if (!view) return why("there is no HTML view");
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
  GtkTextIter start, end;
  gtk_text_buffer_get_bounds(buffer, &start, &end);
  gchar* text = gtk_text_buffer_get_text(buffer, &start, &end, TRUE);
  std::printf("%s\n", text);
  g_free(text);
  return true;
}

bool bodyStep(StepContext& c, const Words&) {
  GtkWidget* view = visualView(c.window);
  if (!view) return why("there is no visual view");
  // The document as the surface's DocumentHTML reads it, from its own
  // script world.
  const auto html = evaluate(view, "pellora.html()", gtk::kScriptWorld);
  if (!html) return false;
  std::printf("%s\n", html->c_str());
  return true;
}

bool zoomStep(StepContext& c, const Words&) {
  GtkWidget* visual = visualView(c.window);
  GtkWidget* html = htmlView(c.window);
  if (!visual || !html) return why("the editor's views are not there");
  GtkStyleContext* style = gtk_widget_get_style_context(html);
  PangoFontDescription* font = nullptr;
  gtk_style_context_get(style, gtk_style_context_get_state(style), GTK_STYLE_PROPERTY_FONT, &font,
                        nullptr);
  const double size = font ? pango_font_description_get_size(font) / double{PANGO_SCALE} : 0;
  if (font) pango_font_description_free(font);
  std::printf("  zoom: visual %.2f, html font %.2f\n",
              webkit_web_view_get_zoom_level(WEBKIT_WEB_VIEW(visual)), size);
  return true;
}

bool pixelStep(StepContext& c, const Words& args) {
  settle();
  GdkWindow* native = gtk_widget_get_window(c.window);
  char* endX = nullptr;
  char* endY = nullptr;
  const long x = std::strtol(args[0].c_str(), &endX, 10);
  const long y = std::strtol(args[1].c_str(), &endY, 10);
  if (*endX || *endY || x < 0 || y < 0 || x >= gdk_window_get_width(native) ||
      y >= gdk_window_get_height(native))
    return why("no pixel " + args[0] + " " + args[1] + " in the window");
  const auto dot = gtk::adopt(
      gdk_pixbuf_get_from_window(native, static_cast<int>(x), static_cast<int>(y), 1, 1));
  if (!dot) return why("the window cannot be read");
  const guchar* p = gdk_pixbuf_get_pixels(dot.get());
  std::printf("  pixel %ld %ld: #%02x%02x%02x\n", x, y, p[0], p[1], p[2]);
  return true;
}

bool screenshotStep(StepContext& c, const Words& args) {
  std::string error;
  if (!writeWindowPng(c.window, args[0], error)) return why(error);
  std::printf("  wrote %s\n", args[0].c_str());
  return true;
}

}  // namespace pellora::host
