// Timers on the GLib main loop: they fire once, in order of their delays; a
// timer destroyed first never fires; a failing action is contained.
#include "platform/gtk/main_loop_timer.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/run_until.h"

namespace pellora::gtk {
namespace {

using namespace std::chrono_literals;

// Runs the default main context until `done`.
void iterateUntil(const bool& done) {
  pellora::test::runUntil([&done] { return done; });
}

TEST(MainLoopTimerTest, FiresOnceInOrderAndNotAfterItIsDestroyed) {
  std::vector<std::string> fired;
  bool last = false;
  auto cancelled = startMainLoopTimer(0ms, [&] { fired.push_back("cancelled"); });
  auto later = startMainLoopTimer(20ms, [&] {
    fired.push_back("later");
    last = true;
  });
  auto sooner = startMainLoopTimer(0ms, [&] { fired.push_back("sooner"); });
  cancelled.reset();
  iterateUntil(last);
  // A spent timer destroyed afterwards removes nothing twice.
  sooner.reset();
  later.reset();
  EXPECT_EQ(fired, (std::vector<std::string>{"sooner", "later"}));
}

TEST(MainLoopTimerTest, AnActionMayDestroyItsOwnTimerAndAFailureIsContained) {
  bool done = false;
  std::unique_ptr<ui::Timer> self;
  self = startMainLoopTimer(0ms, [&] {
    self.reset();
    done = true;
    throw std::runtime_error("handler failed");  // reported; no platform: dropped
  });
  iterateUntil(done);
  EXPECT_EQ(self, nullptr);
}

}  // namespace
}  // namespace pellora::gtk
