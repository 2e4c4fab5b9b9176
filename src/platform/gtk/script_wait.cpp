#include "platform/gtk/script_wait.h"

#include <stdexcept>

#include "platform/gtk/callback_boundary.h"
#include "platform/gtk/surface_scripts.h"

namespace pellora::gtk {

namespace {

struct Wait {
  GMainLoopPtr loop{g_main_loop_new(nullptr, FALSE)};
  bool done = false;
  JSCValuePtr value;
  GErrorPtr error;
};

void evaluated(GObject* source, GAsyncResult* result, gpointer data) {
  auto* wait = static_cast<Wait*>(data);
  GError* error = nullptr;
  wait->value =
      adopt(webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error));
  wait->error.reset(error);
  wait->done = true;
  g_main_loop_quit(wait->loop.get());
}

}  // namespace

JSCValuePtr awaitScript(WebKitWebView* view, const std::string& script) {
  Wait wait;
  webkit_web_view_evaluate_javascript(view, script.data(), static_cast<gssize>(script.size()),
                                      kScriptWorld, nullptr, nullptr, guardedCallback<&evaluated>,
                                      &wait);
  if (!wait.done) awaitScriptResult(wait.loop.get());
  if (wait.error) {
    throw std::runtime_error(std::string("editing surface: ") +
                             (wait.error->message ? wait.error->message : "script failed"));
  }
  return std::move(wait.value);
}

}  // namespace pellora::gtk
