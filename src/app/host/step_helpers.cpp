#include <webkit2/webkit2.h>

#include <cstdio>
#include <functional>
#include <memory>

#include "app/host/script_steps.h"
#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/widget_search.h"

namespace pellora::host {

void settle() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

GtkWidget* visualView(GtkWidget* root) {
  return gtk::findWidgetIf(root, [](GtkWidget* widget) { return WEBKIT_IS_WEB_VIEW(widget); });
}

GtkWidget* htmlView(GtkWidget* root) {
  GtkWidget* view = gtk::findWidget(root, "mmoHTML");
  return view && GTK_IS_TEXT_VIEW(view) ? view : nullptr;
}

namespace {

// The value of a script started by `start`, which is given the callback
// for its answer and the data that callback needs; `finish` reads the answer.
using ScriptFinish = JSCValue* (*)(WebKitWebView*, GAsyncResult*, GError**);

std::optional<std::string> awaitScript(
    const std::function<void(GAsyncReadyCallback, gpointer)>& start, ScriptFinish finish) {
  struct Outcome {
    bool finished = false;
    std::optional<std::string> value;
    ScriptFinish finish;
  };
  // Shared with the callback, which may come after we gave up waiting.
  auto outcome = std::make_shared<Outcome>();
  outcome->finish = finish;
  start(
      +[](GObject* source, GAsyncResult* result, gpointer data) {
        std::unique_ptr<std::shared_ptr<Outcome>> held(
            static_cast<std::shared_ptr<Outcome>*>(data));
        Outcome& out = **held;
        out.finished = true;
        GError* raw = nullptr;
        const auto value = gtk::adopt(out.finish(WEBKIT_WEB_VIEW(source), result, &raw));
        const gtk::GErrorPtr error(raw);
        if (error) {
          std::printf("  script error: %s\n", error->message);
          return;
        }
        const gtk::GCharPtr text(jsc_value_to_string(value.get()));
        out.value = text ? text.get() : "";
      },
      new std::shared_ptr<Outcome>(outcome));
  if (!runUntil([&outcome] { return outcome->finished; })) {
    std::printf("  the view did not answer in time\n");
    return std::nullopt;
  }
  return outcome->value;
}

}  // namespace

std::optional<std::string> evaluate(GtkWidget* view, const std::string& script, const char* world) {
  return awaitScript(
      [&](GAsyncReadyCallback done, gpointer data) {
        webkit_web_view_evaluate_javascript(WEBKIT_WEB_VIEW(view), script.c_str(), -1, world,
                                            nullptr, nullptr, done, data);
      },
      webkit_web_view_evaluate_javascript_finish);
}

void awaitPageReports(GtkWidget* root) {
  GtkWidget* view = visualView(root);
  if (!view || !gtk_widget_get_mapped(view)) return settle();
  // Resolved in a task of its own, queued after the ones that report a
  // selection or an edit, whose messages then arrive before the answer.
  awaitScript(
      [view](GAsyncReadyCallback done, gpointer data) {
        webkit_web_view_call_async_javascript_function(
            WEBKIT_WEB_VIEW(view), "await new Promise(r => setTimeout(r, 0)); return 0;", -1,
            nullptr, nullptr, nullptr, nullptr, done, data);
      },
      webkit_web_view_call_async_javascript_function_finish);
  settle();
}

std::string jsString(const std::string& text) {
  std::string out = "\"";
  glong length = 0;
  gunichar2* units = g_utf8_to_utf16(text.c_str(), -1, nullptr, &length, nullptr);
  for (glong i = 0; units && i < length; ++i) {
    char escaped[8];
    if (units[i] >= 0x20 && units[i] < 0x7F && units[i] != '"' && units[i] != '\\') {
      out += static_cast<char>(units[i]);
    } else {
      std::snprintf(escaped, sizeof escaped, "\\u%04x", units[i]);
      out += escaped;
    }
  }
  g_free(units);
  return out + "\"";
}

bool why(const std::string& reason) {
  std::printf("  %s\n", reason.c_str());
  return false;
}

}  // namespace pellora::host
