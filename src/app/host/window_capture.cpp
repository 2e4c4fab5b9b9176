#include "app/host/window_capture.h"

#include "app/host/script_steps.h"

namespace pellora::host {

namespace {

// Seconds a window may take to draw once asked to.
constexpr int kRedrawSeconds = 10;

// Queues a full redraw and runs the main loop until the frame clock has
// painted it: what is in the window afterwards is what the widgets show now.
bool redraw(GtkWidget* window) {
  settle();
  GdkWindow* native = gtk_widget_get_window(window);
  GdkFrameClock* clock = native ? gdk_window_get_frame_clock(native) : nullptr;
  if (!clock) return false;
  bool painted = false;
  const gulong handler = g_signal_connect_swapped(
      clock, "after-paint", G_CALLBACK(+[](bool* done) { *done = true; }), &painted);
  gtk_widget_queue_draw(window);
  runUntil([&painted] { return painted; }, kRedrawSeconds);
  g_signal_handler_disconnect(clock, handler);
  // The X server has the painted frame once it answers a round trip.
  gdk_display_sync(gtk_widget_get_display(window));
  return painted;
}

}  // namespace

bool writeWindowPng(GtkWidget* window, const std::string& file, std::string& error) {
  g_object_ref(window);
  struct Release {
    GtkWidget* window;
    ~Release() { g_object_unref(window); }
  } release{window};
  if (!gtk_widget_get_mapped(window)) {
    error = "the window is not on screen";
    return false;
  }
  if (!redraw(window)) {
    error = "the window did not redraw";
    return false;
  }
  GdkWindow* native = gtk_widget_get_window(window);
  if (!native || !gtk_widget_get_mapped(window)) {
    error = "the window went away";
    return false;
  }
  // At the window's scale: 2x on a display scaled by 2.
  GdkPixbuf* shot = gdk_pixbuf_get_from_window(native, 0, 0, gdk_window_get_width(native),
                                               gdk_window_get_height(native));
  if (!shot) {
    error = "the window cannot be read";
    return false;
  }
  GError* failure = nullptr;
  const bool saved =
      gdk_pixbuf_save(shot, file.c_str(), "png", &failure, "compression", "9", nullptr);
  g_object_unref(shot);
  if (!saved) {
    error = "cannot write " + file + ": " + (failure ? failure->message : "unknown error");
    if (failure) g_error_free(failure);
    return false;
  }
  return true;
}

}  // namespace pellora::host
