// Watches the request in flight for the user's way out: every blocking wait
// of the request goes through it, and when the user asks to close while the
// server has let the request stall, the next wait ends the request with
// EIdRequestCancelled instead of waiting on. A request that still moves data
// is never cancelled.
#pragma once

#include <chrono>
#include <string>

#include "exchange/socket.h"

namespace pellora::exchange {

class RequestWatch : public WaitGuard {
 public:
  using Clock = std::chrono::steady_clock;

  // `inner` pumps the window between slices (the guard in force).
  explicit RequestWatch(WaitGuard& inner) : inner_(inner) {}

  void start(Clock::time_point now);
  // Bytes moved in either direction.
  void moved(Clock::time_point now) { lastMoved_ = now; }
  void finish() { running_ = false; }
  bool running() const { return running_; }

  // Cancels the running request when nothing has moved for at least
  // `quietMs` by `now`; true when it did. The request fails at its next
  // wait with `message`.
  bool cancelIfQuiet(Clock::time_point now, int quietMs, std::string message);

  // WaitGuard: pumps through the inner guard, then ends a cancelled wait.
  int idleSliceMs() override { return inner_.idleSliceMs(); }
  void idle() override;

 private:
  WaitGuard& inner_;
  bool running_ = false;
  bool cancelled_ = false;
  std::string message_;
  Clock::time_point lastMoved_{};
};

}  // namespace pellora::exchange
