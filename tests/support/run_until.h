// Runs the default main context until a condition holds. A signal that
// never comes fails the test after a deadline, with a message, instead of
// hanging until ctest's time-out ends the whole case without one.
#pragma once

#include <glib.h>
#include <gtest/gtest.h>

#include <functional>

namespace pellora::test {

inline bool runUntil(const std::function<bool()>& done, unsigned seconds = 60) {
  bool expired = false;
  // The timer wakes a loop that would otherwise block for good.
  const guint timer = g_timeout_add_seconds(
      seconds,
      [](gpointer flag) -> gboolean {
        *static_cast<bool*>(flag) = true;
        return G_SOURCE_REMOVE;
      },
      &expired);
  while (!done() && !expired) g_main_context_iteration(nullptr, TRUE);
  if (!expired) g_source_remove(timer);
  if (done()) return true;
  ADD_FAILURE() << "waited " << seconds << " s for an event that never came";
  return false;
}

}  // namespace pellora::test
