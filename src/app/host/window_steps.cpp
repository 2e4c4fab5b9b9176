// The host window itself: closing it as its × does, and what it shows.
#include <webkit2/webkit2.h>

#include <cstdio>

#include "app/host/host_window.h"
#include "app/host/script_steps.h"
#include "app/host/widget_text.h"
#include "platform/gtk/widget_search.h"

namespace pellora::host {

bool quitStep(StepContext& c, const Words&) {
  GdkWindow* surface = gtk_widget_get_window(c.window);
  if (!surface) return why("the window is not on screen");
  // The event the window manager sends for the ×, delivered at once rather
  // than from an idle as gtk_window_close does, so the step ends after it.
  GdkEvent* event = gdk_event_new(GDK_DELETE);
  event->any.window = GDK_WINDOW(g_object_ref(surface));
  event->any.send_event = TRUE;
  gtk_main_do_event(event);
  gdk_event_free(event);
  settle();
  std::printf("  %s\n", c.window ? "the window stays" : "the window is closed");
  return true;
}

bool windowStep(StepContext& c, const Words&) {
  // A round trip to the page first: its change notices arrive before the
  // answer, and the title follows them.
  awaitPageReports(c.window);
  if (!c.window) return why("the window is closed");
  std::printf("  title: %s\n", gtk_window_get_title(GTK_WINDOW(c.window)));
  GtkWidget* pages = gtk::findWidget(c.window, HostWindow::kPages);
  const gchar* page = pages ? gtk_stack_get_visible_child_name(GTK_STACK(pages)) : nullptr;
  if (page && std::string(page) == HostWindow::kClosedPage) {
    GtkWidget* message = gtk::findWidget(c.window, HostWindow::kMessage);
    std::printf("  shows: %s\n", message ? gtk_label_get_text(GTK_LABEL(message)) : "");
  } else {
    std::printf("  shows: the editor\n");
    // A notice across the editor (a load that failed) is part of what it
    // shows.
    GtkWidget* notice = gtk::findWidgetIf(c.window, [](GtkWidget* widget) {
      return GTK_IS_INFO_BAR(widget) && gtk_widget_is_visible(widget);
    });
    if (notice) std::printf("  notice: %s\n", shownText(notice).c_str());
  }
  return true;
}

}  // namespace pellora::host
