// The first switch to the HTML view with a 1 MB body: Pellora's way (the
// source editor control reset to the body, its view shown by the notebook
// that also holds a WebKit view of the document) beside the bare pair (a
// WebKit view and a plain GtkSourceView of the same language, scheme and
// font, filled with the same text and shown the same way). Each repetition
// builds both windows afresh and times one side then the other, alternating
// which goes first; timed is the switch until the main loop is idle again,
// so the whole text is laid out. Printed are the medians of each side and of
// the pairwise ratios. Needs a display: run under xvfb-run. Never pass/fail.
// The window's height decides whether either view's height is a whole
// number of lines, which costs a bare view a quarter more time to show.
//   view_switch_bench [REPETITIONS, default 9] [BYTES, default 1048576]
//                     [WINDOW HEIGHT, default 600]
#include <gtk/gtk.h>
#include <gtksourceview/gtksource.h>
#include <webkit2/webkit2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench_text.h"
#include "platform/gtk/source_view.h"
#include "ui/control.h"

namespace {

int windowHeight = 600;

void settle() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

// A window whose notebook shows a WebKit view of the document on its first
// page and `source` (hidden until the switch) on its second.
class Window {
 public:
  Window(const std::string& body, GtkWidget* source, bool hidesBar) : hidesBar_(hidesBar) {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window_), 800, windowHeight);
    notebook_ = gtk_notebook_new();
    GtkWidget* web = webkit_web_view_new();
    bool loaded = false;
    g_signal_connect(web, "load-changed",
                     G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent event, gpointer flag) {
                       if (event == WEBKIT_LOAD_FINISHED) *static_cast<bool*>(flag) = true;
                     }),
                     &loaded);
    webkit_web_view_load_html(WEBKIT_WEB_VIEW(web),
                              ("<html><body>" + body + "</body></html>").c_str(), "about:blank");
    gtk_notebook_append_page(GTK_NOTEBOOK(notebook_), web, nullptr);
    gtk_notebook_append_page(GTK_NOTEBOOK(notebook_), source, nullptr);
    // The editor hides its tool bar while the HTML view shows, so its page
    // grows in the switch; the bare pair keeps its size.
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    bar_ = gtk_label_new("tool bar");
    gtk_widget_set_size_request(bar_, -1, 84);
    gtk_box_pack_start(GTK_BOX(box), bar_, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), notebook_, TRUE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(window_), box);
    gtk_widget_show_all(window_);
    while (!loaded) g_main_context_iteration(nullptr, TRUE);
    g_signal_handlers_disconnect_by_data(web, &loaded);
    settle();
  }
  ~Window() { gtk_widget_destroy(window_); }
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  void showSource() {
    if (hidesBar_) gtk_widget_hide(bar_);
    gtk_notebook_set_current_page(GTK_NOTEBOOK(notebook_), 1);
  }

 private:
  GtkWidget* window_;
  GtkWidget* notebook_;
  GtkWidget* bar_;
  bool hidesBar_;
};

template <typename F>
double millis(F f) {
  const auto t0 = std::chrono::steady_clock::now();
  f();
  settle();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

double pelloraSwitch(const std::string& body) {
  pellora::ui::Control model(pellora::ui::ControlKind::SourceEditor, "mmoHTML");
  auto binding = std::make_unique<pellora::gtk::SourceViewBinding>(model, nullptr);
  Window window(body, binding->widget(), true);
  const double ms = millis([&] {
    // As the form binding forwards the control's change to the view.
    model.resetText(body);
    binding->apply(pellora::ui::Property::Text);
    window.showSource();
  });
  // The view goes before the window that holds its widgets.
  binding.reset();
  return ms;
}

double bareSwitch(const std::string& body) {
  GtkSourceBuffer* buffer = gtk_source_buffer_new(nullptr);
  gtk_source_buffer_set_language(buffer, pellora::gtk::htmlViewLanguage());
  gtk_source_buffer_set_style_scheme(buffer, pellora::gtk::htmlViewScheme());
  GtkWidget* view = gtk_source_view_new_with_buffer(buffer);
  g_object_unref(buffer);
  gtk_text_view_set_monospace(GTK_TEXT_VIEW(view), TRUE);
  GtkCssProvider* css = gtk_css_provider_new();
  gtk_css_provider_load_from_data(
      css, "textview, textview text { font-family: \"Courier New\", monospace; font-size: 13px; }",
      -1, nullptr);
  gtk_style_context_add_provider(gtk_widget_get_style_context(view), GTK_STYLE_PROVIDER(css),
                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(css);
  GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_container_add(GTK_CONTAINER(scroller), view);
  Window window(body, scroller, false);
  return millis([&] {
    gtk_source_buffer_begin_not_undoable_action(buffer);
    gtk_text_buffer_set_text(GTK_TEXT_BUFFER(buffer), body.data(), static_cast<gint>(body.size()));
    gtk_source_buffer_end_not_undoable_action(buffer);
    window.showSource();
  });
}

}  // namespace

int main(int argc, char** argv) {
  // A virtual display has no GL, and the container runs as root.
  g_setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", FALSE);
  g_setenv("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS", "1", FALSE);
  if (!gtk_init_check(&argc, &argv)) return 1;
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  const std::size_t size = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : std::size_t{1} << 20;
  if (argc > 3) windowHeight = std::max(200, std::atoi(argv[3]));
  const std::string body = pellora::bench::sampleBody(size, "\n");
  const char* only = std::getenv("VIEW_SWITCH_ONLY");  // "pellora" or "bare", for profiling

  std::vector<double> view, bare, ratio;
  for (int r = 0; r < repetitions; ++r) {
    if (only) {
      (std::string(only) == "bare" ? bare : view)
          .push_back(std::string(only) == "bare" ? bareSwitch(body) : pelloraSwitch(body));
      continue;
    }
    double a = 0, b = 0;
    if (r % 2 == 0) {
      a = pelloraSwitch(body);
      b = bareSwitch(body);
    } else {
      b = bareSwitch(body);
      a = pelloraSwitch(body);
    }
    view.push_back(a);
    bare.push_back(b);
    ratio.push_back(a / std::max(b, 1e-6));
  }
  if (only) {
    const auto& v = std::string(only) == "bare" ? bare : view;
    std::printf("%s median %.1f ms over %d\n", only, pellora::bench::median(v), repetitions);
    return 0;
  }
  std::printf("%-9s %12s %12s %8s %6s\n", "bytes", "view_ms", "bare_ms", "ratio", "reps");
  std::printf("%-9zu %12.1f %12.1f %8.2f %6d\n", body.size(), pellora::bench::median(view),
              pellora::bench::median(bare), pellora::bench::median(ratio), repetitions);
  return 0;
}
