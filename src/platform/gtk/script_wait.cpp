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

void called(GObject* source, GAsyncResult* result, gpointer data) {
  auto* wait = static_cast<Wait*>(data);
  GError* error = nullptr;
  wait->value = adopt(webkit_web_view_call_async_javascript_function_finish(WEBKIT_WEB_VIEW(source),
                                                                            result, &error));
  wait->error.reset(error);
  wait->done = true;
  g_main_loop_quit(wait->loop.get());
}

JSCValuePtr finish(Wait& wait) {
  if (!wait.done) awaitScriptResult(wait.loop.get());
  if (wait.error) {
    throw std::runtime_error(std::string("editing surface: ") +
                             (wait.error->message ? wait.error->message : "script failed"));
  }
  return std::move(wait.value);
}

}  // namespace

JSCValuePtr awaitAsyncScript(WebKitWebView* view, const std::string& body) {
  Wait wait;
  webkit_web_view_call_async_javascript_function(
      view, body.data(), static_cast<gssize>(body.size()), nullptr, kScriptWorld, nullptr, nullptr,
      guardedCallback<&called>, &wait);
  return finish(wait);
}

void sendScript(WebKitWebView* view, const std::string& script) {
  webkit_web_view_evaluate_javascript(view, script.data(), static_cast<gssize>(script.size()),
                                      kScriptWorld, nullptr, nullptr, nullptr, nullptr);
}

JSCValuePtr awaitScript(WebKitWebView* view, const std::string& script) {
  Wait wait;
  webkit_web_view_evaluate_javascript(view, script.data(), static_cast<gssize>(script.size()),
                                      kScriptWorld, nullptr, nullptr, guardedCallback<&evaluated>,
                                      &wait);
  return finish(wait);
}

}  // namespace pellora::gtk
