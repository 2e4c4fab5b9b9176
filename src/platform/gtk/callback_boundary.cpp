#include "platform/gtk/callback_boundary.h"

#include "settings/error_report.h"
#include "ui/scope_exit.h"

namespace pellora::gtk {

namespace {

// Nested waits (a wait inside a notification inside a wait) count up.
int awaitedScripts = 0;

}  // namespace

void reportCallbackFailure(std::exception_ptr failure) noexcept {
  try {
    try {
      std::rethrow_exception(failure);
    } catch (const std::exception& error) {
      showErrorReport(error.what());
    } catch (...) {
      showErrorReport("An unexpected failure occurred.");
    }
  } catch (...) {
    // Nowhere left to show it; the editor goes on.
  }
}

void awaitScriptResult(GMainLoop* loop) {
  ++awaitedScripts;
  const ui::ScopeExit awaited([] { --awaitedScripts; });
  g_main_loop_run(loop);
}

bool scriptResultAwaited() { return awaitedScripts > 0; }

}  // namespace pellora::gtk
