// Watches the request in flight for the user's way out: every blocking wait
// of the request goes through it, and when the user asks to close while the
// server has let the request stall, the next wait ends the request with
// EIdRequestCancelled instead of waiting on. A request that still moves data
// is never cancelled, unless it moves it so slowly, or for so long, that
// waiting on is no use either (a server that trickles a byte at a time).
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>

#include "exchange/socket.h"

namespace pellora::exchange {

class RequestWatch : public WaitGuard {
 public:
  using Clock = std::chrono::steady_clock;

  // `inner` pumps the window between slices (the guard in force).
  explicit RequestWatch(WaitGuard& inner) : inner_(inner) {}

  // `rateWindow`: the span over which slowStart() sums the bytes moved.
  explicit RequestWatch(WaitGuard& inner, std::chrono::milliseconds rateWindow)
      : inner_(inner), rateWindow_(rateWindow) {}

  void start(Clock::time_point now);
  // `bytes` moved in either direction.
  void moved(Clock::time_point now, std::int64_t bytes = 0);
  void finish() { running_ = false; }
  bool running() const { return running_; }

  // Cancels the running request when nothing has moved for at least
  // `quietMs` by `now`; true when it did. The request fails at its next
  // wait with `message`.
  bool cancelIfQuiet(Clock::time_point now, int quietMs, std::string message);
  // Cancels the running request now (or keeps its earlier cancellation);
  // false when none runs.
  bool cancel(std::string message);

  // How long the running request has run by `now`.
  Clock::duration runningFor(Clock::time_point now) const { return now - started_; }
  // Bytes moved within the rate window before `now`; nothing when the
  // request has not yet run for a whole window.
  std::optional<std::int64_t> movedInWindow(Clock::time_point now);

  // WaitGuard: pumps through the inner guard, then ends a cancelled wait.
  int idleSliceMs() override { return inner_.idleSliceMs(); }
  void idle() override;

 private:
  WaitGuard& inner_;
  bool running_ = false;
  bool cancelled_ = false;
  std::string message_;
  Clock::time_point lastMoved_{};
  Clock::time_point started_{};
  std::chrono::milliseconds rateWindow_{30000};
  // Bytes moved, one entry per tenth of the window: bounded however the
  // bytes come, and exact to a tenth of the window.
  std::deque<std::pair<Clock::time_point, std::int64_t>> recent_;
};

}  // namespace pellora::exchange
