// Every call from GTK or WebKit into the model passes through here. An
// exception must never unwind through GTK's C frames (the process ends, at
// best in g_signal_emit): the boundary catches it, shows it in the error box
// a form framework shows by default, and answers the callback's safe
// default, so the editor keeps running.
//
// The boundary also knows when the visual surface waits for a script result
// on a nested main loop: the model is then in the middle of a call, and user
// input that would start another command is refused rather than run inside
// it (see scriptResultAwaited()).
//
// Covered by tests/platform/gtk/callback_boundary_test.cpp.
#pragma once

#include <glib.h>

#include <exception>
#include <type_traits>
#include <utility>

namespace pellora::gtk {

// Shows the failure in the error box. Never throws: a report that fails
// itself (no platform installed, say) is dropped, as nothing is logged.
void reportCallbackFailure(std::exception_ptr failure) noexcept;

// Runs `body`; a failure is reported and the callback carries on.
template <typename Body>
void guarded(Body&& body) noexcept {
  try {
    std::forward<Body>(body)();
  } catch (...) {
    reportCallbackFailure(std::current_exception());
  }
}

// Runs `body` for its answer; after a failure, reports it and answers
// `fallback`.
template <typename Result, typename Body>
Result guardedOr(Result fallback, Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    reportCallbackFailure(std::current_exception());
    return fallback;
  }
}

template <auto Callback, auto Fallback>
struct CallbackGuard;

template <typename R, typename... Args, R (*Callback)(Args...), auto Fallback>
struct CallbackGuard<Callback, Fallback> {
  static R call(Args... args) noexcept {
    if constexpr (std::is_void_v<R>) {
      guarded([&] { Callback(args...); });
    } else {
      return guardedOr(static_cast<R>(Fallback), [&] { return Callback(args...); });
    }
  }
};

// A C callback that runs `Callback` inside the boundary, to hand to GTK in
// its place: `G_CALLBACK((guardedCallback<&onClicked>))`. After a failure a
// callback with an answer gives `Fallback` (FALSE, G_SOURCE_REMOVE, ...
// unless said otherwise).
template <auto Callback, auto Fallback = 0>
inline constexpr auto guardedCallback = &CallbackGuard<Callback, Fallback>::call;

// Runs `loop` until the awaited script result quits it.
void awaitScriptResult(GMainLoop* loop);

// True while a script result is awaited. A command started then would
// re-enter the surface in the middle of its call; input that starts one is
// refused instead.
bool scriptResultAwaited();

}  // namespace pellora::gtk
