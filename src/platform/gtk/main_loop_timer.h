// One-shot timers on the GLib main loop, for the platform's `Timers`.
// Covered by tests/platform/gtk/main_loop_timer_test.cpp and
// main_loop_timer_wait_test.cpp.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "ui/services.h"

namespace pellora::gtk {

// Runs `action` once from the default main context after `delay`, through
// the callback boundary; destroying the result first cancels it. An action
// due while a script result is awaited runs once that wait is over.
std::unique_ptr<ui::Timer> startMainLoopTimer(std::chrono::milliseconds delay,
                                              std::function<void()> action);

}  // namespace pellora::gtk
