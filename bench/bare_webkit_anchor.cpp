// The anchors of the host benchmarks (bench/host_bench.py): a bare WebKit
// window doing what the user does in the editor, with the host's own way of
// sending keys and waiting, so the two figures differ only by the editor.
//   bare_webkit_anchor type FILE KEYS   the body of FILE in an editable
//       page; KEYS times one "x" typed at the end of the first paragraph,
//       as `pellora --script` types it; prints each key's milliseconds
//   bare_webkit_anchor show URL         a window showing URL; prints the
//       monotonic clock's milliseconds when its load has finished
// Run under xvfb-run, with WEBKIT_DISABLE_COMPOSITING_MODE=1.
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/gtk/key_stroke.h"

namespace {

void settle() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

// Runs a script and waits for its answer, as the host's steps do.
void evaluate(WebKitWebView* view, const char* script) {
  bool done = false;
  webkit_web_view_evaluate_javascript(
      view, script, -1, nullptr, nullptr, nullptr,
      +[](GObject* source, GAsyncResult* result, gpointer data) {
        JSCValue* value =
            webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, nullptr);
        if (value) g_object_unref(value);
        *static_cast<bool*>(data) = true;
      },
      &done);
  while (!done) g_main_context_iteration(nullptr, TRUE);
}

struct Window {
  GtkWidget* top = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  WebKitWebView* view = WEBKIT_WEB_VIEW(webkit_web_view_new());
  bool loaded = false;

  Window() {
    gtk_window_set_default_size(GTK_WINDOW(top), 1000, 700);
    gtk_container_add(GTK_CONTAINER(top), GTK_WIDGET(view));
    g_signal_connect(view, "load-changed",
                     G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent event, gpointer data) {
                       if (event == WEBKIT_LOAD_FINISHED) static_cast<Window*>(data)->loaded = true;
                     }),
                     this);
    gtk_widget_show_all(top);
  }
  ~Window() { gtk_widget_destroy(top); }
  void waitLoaded() {
    while (!loaded) g_main_context_iteration(nullptr, TRUE);
  }
};

double nowMs() { return static_cast<double>(g_get_monotonic_time()) / 1000.0; }

int type(const char* file, int keys) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream body;
  body << in.rdbuf();
  Window window;
  const std::string html = "<html><body contenteditable=\"true\">" + body.str() + "</body></html>";
  webkit_web_view_load_html(window.view, html.c_str(), "http://localhost/");
  window.waitLoaded();
  gtk_widget_grab_focus(GTK_WIDGET(window.view));
  evaluate(window.view,
           "(function(){const p=document.body.querySelector('p')||document.body;"
           "const r=document.createRange();r.selectNodeContents(p);r.collapse(false);"
           "const s=getSelection();s.removeAllRanges();s.addRange(r);})()");
  settle();
  const pellora::gtk::KeyStroke x{GDK_KEY_x, GdkModifierType(0)};
  for (int i = 0; i < keys; ++i) {
    const double start = nowMs();
    // As the host's `type` step: each event, then a round trip to the page.
    for (GdkEventType kind : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
      pellora::gtk::sendKeyEvent(window.top, x, kind);
      settle();
      evaluate(window.view, "0");
    }
    settle();
    std::printf("%.3f\n", nowMs() - start);
  }
  return 0;
}

int show(const char* url) {
  Window window;
  webkit_web_view_load_uri(window.view, url);
  window.waitLoaded();
  std::printf("%.3f\n", nowMs());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  g_setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", FALSE);
  g_setenv("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS", "1", FALSE);
  if (!gtk_init_check(&argc, &argv)) return 1;
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "type" && argc == 4) return type(argv[2], std::stoi(argv[3]));
  if (mode == "show" && argc == 3) return show(argv[2]);
  std::fprintf(stderr, "usage: bare_webkit_anchor type FILE KEYS | show URL\n");
  return 2;
}
