#include "app/host/window_capture.h"

#include "app/host/script_steps.h"
#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/signal_connection.h"

namespace pellora::host {

namespace {

// Seconds a window may take to draw once asked to.
constexpr int kRedrawSeconds = 10;

// Queues a full redraw and runs the main loop until the frame clock has
// painted it: by then the widgets are laid out for what the steps before
// changed (a page switch) and show it.
bool redraw(GtkWidget* window) {
  settle();
  GdkWindow* native = gtk_widget_get_window(window);
  GdkFrameClock* clock = native ? gdk_window_get_frame_clock(native) : nullptr;
  if (!clock) return false;
  bool painted = false;
  const gtk::SignalConnection afterPaint(clock, "after-paint",
                                         G_CALLBACK(+[](bool* done) { *done = true; }), &painted,
                                         G_CONNECT_SWAPPED);
  gtk_widget_queue_draw(window);
  runUntil([&painted] { return painted; }, kRedrawSeconds);
  return painted;
}

// The window as its widgets draw it, at the display's scale (2x on a display
// scaled by 2). Drawn rather than read back from the screen, so other
// windows over it do not show.
gtk::GObjectPtr<GdkPixbuf> render(GtkWidget* window) {
  const int scale = gtk_widget_get_scale_factor(window);
  const int width = gtk_widget_get_allocated_width(window) * scale;
  const int height = gtk_widget_get_allocated_height(window) * scale;
  if (width <= 0 || height <= 0) return nullptr;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_surface_set_device_scale(surface, scale, scale);
  cairo_t* cr = cairo_create(surface);
  gtk_widget_draw(window, cr);
  cairo_destroy(cr);
  cairo_surface_set_device_scale(surface, 1, 1);
  auto shot = gtk::adopt(gdk_pixbuf_get_from_surface(surface, 0, 0, width, height));
  cairo_surface_destroy(surface);
  return shot;
}

}  // namespace

bool writeWindowPng(GtkWidget* window, const std::string& file, std::string& error) {
  // Held while the redraw runs the main loop, which may close it.
  const auto held = gtk::retain(window);
  if (!gtk_widget_get_mapped(window)) {
    error = "the window is not on screen";
    return false;
  }
  if (!redraw(window)) {
    error = "the window did not redraw";
    return false;
  }
  if (!gtk_widget_get_mapped(window)) {
    error = "the window went away";
    return false;
  }
  const auto shot = render(window);
  if (!shot) {
    error = "the window cannot be drawn";
    return false;
  }
  GError* raw = nullptr;
  const bool saved =
      gdk_pixbuf_save(shot.get(), file.c_str(), "png", &raw, "compression", "9", nullptr);
  const gtk::GErrorPtr failure(raw);
  if (!saved) {
    error = "cannot write " + file + ": " + (failure ? failure->message : "unknown error");
    return false;
  }
  return true;
}

}  // namespace pellora::host
