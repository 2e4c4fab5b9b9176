// Which key presses zoom the views, and the zoom's steps: each moves, back
// again lands where it started, both ends hold, Ctrl+0 gives the normal size.
// Ctrl+wheel over the HTML view zooms it (and the zoom is stored).
#include "platform/gtk/view_zoom.h"

#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>
#include <gtksourceview/gtksource.h>

#include <memory>

#include "platform/gtk/gtk_fixture.h"
#include "platform/gtk/zoom_setting.h"
#include "support/temp_dir.h"

namespace pellora::gtk::test {
namespace {

TEST(ViewZoomTest, ZoomKeysAndSteps) {
  constexpr int ctrl = GDK_CONTROL_MASK;
  const struct {
    guint keyval;
    int state;
    std::optional<ZoomAction> action;
  } cases[] = {
      {GDK_KEY_plus, ctrl | GDK_SHIFT_MASK, ZoomAction::In},  // shifted on US layouts
      {GDK_KEY_minus, ctrl, ZoomAction::Out},
      {GDK_KEY_KP_0, ctrl, ZoomAction::Reset},
      {GDK_KEY_plus, 0, std::nullopt},
      {GDK_KEY_plus, ctrl | GDK_MOD1_MASK, std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(zoomKeyFor(c.keyval, static_cast<GdkModifierType>(c.state)), c.action)
        << gdk_keyval_name(c.keyval) << " state " << c.state;

  for (const ZoomAction way : {ZoomAction::In, ZoomAction::Out}) {
    const ZoomAction back = way == ZoomAction::In ? ZoomAction::Out : ZoomAction::In;
    std::uint32_t at = kNormalZoom;
    int steps = 0;
    for (std::uint32_t next; (next = zoomAfter(at, way)) != at && steps < 50; at = next, ++steps) {
      EXPECT_EQ(way == ZoomAction::In, next > at) << at << " to " << next;
      EXPECT_EQ(zoomAfter(next, back), at);
    }
    EXPECT_GE(steps, 3) << "room to zoom";
    EXPECT_EQ(clampZoom(way == ZoomAction::In ? at + 1000 : 0), at) << "the end holds";
    EXPECT_EQ(zoomAfter(at, ZoomAction::Reset), kNormalZoom);
  }
}

double fontSize(GtkWidget* view) {
  GtkStyleContext* style = gtk_widget_get_style_context(view);
  PangoFontDescription* font = nullptr;
  gtk_style_context_get(style, gtk_style_context_get_state(style), "font", &font, nullptr);
  const double size = pango_font_description_get_size(font);
  pango_font_description_free(font);
  return size;
}

using ViewZoomWheelTest = GtkTest;

TEST_F(ViewZoomWheelTest, CtrlWheelOverTheHtmlViewZooms) {
  pellora::test::TempDir folder;
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWidget* form = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_container_add(GTK_CONTAINER(window), form);
  GtkWidget* view = gtk_source_view_new();
  gtk_container_add(GTK_CONTAINER(form), view);
  gtk_widget_show_all(window);
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
  settings::RegistryStore store(folder.path());
  auto zoom = std::make_unique<ViewZoom>(form, nullptr, store);
  const double normal = fontSize(view);
  GdkEvent* wheel = gdk_event_new(GDK_SCROLL);
  wheel->scroll.direction = GDK_SCROLL_SMOOTH;
  wheel->scroll.delta_y = -1;
  wheel->scroll.state = GDK_CONTROL_MASK;
  // Where the wheel turns: over the text.
  wheel->scroll.window =
      GDK_WINDOW(g_object_ref(gtk_text_view_get_window(GTK_TEXT_VIEW(view), GTK_TEXT_WINDOW_TEXT)));
  gdk_event_set_device(
      wheel, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
  gtk_main_do_event(wheel);
  gdk_event_free(wheel);
  EXPECT_GT(fontSize(view), normal);
  EXPECT_GT(storedZoom(store), kNormalZoom);
  zoom.reset();
  gtk_widget_destroy(window);
}

}  // namespace
}  // namespace pellora::gtk::test
