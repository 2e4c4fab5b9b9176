#include "platform/gtk/main_loop_timer.h"

#include <glib.h>

#include "platform/gtk/callback_boundary.h"

namespace pellora::gtk {

namespace {

constexpr guint kRetryMilliseconds = 10;

class MainLoopTimer final : public ui::Timer {
 public:
  MainLoopTimer(std::chrono::milliseconds delay, std::function<void()> action)
      : action_(std::move(action)) {
    source_ = g_timeout_add(static_cast<guint>(delay.count()), &MainLoopTimer::fire, this);
  }
  ~MainLoopTimer() override {
    if (source_ != 0) g_source_remove(source_);
  }
  MainLoopTimer(const MainLoopTimer&) = delete;
  MainLoopTimer& operator=(const MainLoopTimer&) = delete;

 private:
  static gboolean fire(gpointer data) {
    auto* self = static_cast<MainLoopTimer*>(data);
    // Due while the surface awaits a script result (a nested loop inside a
    // command): the action would re-enter the surface in the middle of that
    // call, so it waits until the call has returned.
    if (scriptResultAwaited()) {
      self->source_ = g_timeout_add(kRetryMilliseconds, &MainLoopTimer::fire, self);
      return G_SOURCE_REMOVE;
    }
    // The source ends with this call; the action may destroy the timer.
    self->source_ = 0;
    std::function<void()> action = std::move(self->action_);
    guarded([&] { action(); });
    return G_SOURCE_REMOVE;
  }

  std::function<void()> action_;
  guint source_ = 0;
};

}  // namespace

std::unique_ptr<ui::Timer> startMainLoopTimer(std::chrono::milliseconds delay,
                                              std::function<void()> action) {
  return std::make_unique<MainLoopTimer>(delay, std::move(action));
}

}  // namespace pellora::gtk
