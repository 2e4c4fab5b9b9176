// A timer due while the visual surface awaits a script result: its action
// (the draft journal reading the page, say) must not run inside that wait,
// where it would re-enter the surface, but right after it.
#include <glib.h>
#include <gtest/gtest.h>

#include "platform/gtk/callback_boundary.h"
#include "platform/gtk/main_loop_timer.h"
#include "support/run_until.h"

namespace pellora::gtk {
namespace {

TEST(MainLoopTimerWaitTest, AnActionDueDuringAScriptWaitRunsAfterIt) {
  int runs = 0;
  bool ranInsideTheWait = false;
  auto timer = startMainLoopTimer(std::chrono::milliseconds(0), [&] {
    ++runs;
    ranInsideTheWait = scriptResultAwaited();
  });
  // The wait ends from a source due no earlier than the timer: GLib
  // dispatches the timer first in the iteration that finds both due.
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  g_timeout_add(
      0,
      [](gpointer data) -> gboolean {
        g_main_loop_quit(static_cast<GMainLoop*>(data));
        return G_SOURCE_REMOVE;
      },
      loop);
  awaitScriptResult(loop);
  g_main_loop_unref(loop);
  EXPECT_EQ(runs, 0) << "not inside the wait";

  pellora::test::runUntil([&runs] { return runs > 0; });
  EXPECT_EQ(runs, 1);
  EXPECT_FALSE(ranInsideTheWait);
}

}  // namespace
}  // namespace pellora::gtk
