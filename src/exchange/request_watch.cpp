#include "exchange/request_watch.h"

#include <utility>

#include "exchange/id_exceptions.h"

// Covered by tests/exchange/hostile_server_test.cpp.

namespace pellora::exchange {

void RequestWatch::start(Clock::time_point now) {
  running_ = true;
  cancelled_ = false;
  lastMoved_ = now;
}

bool RequestWatch::cancelIfQuiet(Clock::time_point now, int quietMs, std::string message) {
  if (!running_) return false;
  if (cancelled_) return true;
  if (now - lastMoved_ < std::chrono::milliseconds(quietMs)) return false;
  cancelled_ = true;
  message_ = std::move(message);
  return true;
}

void RequestWatch::idle() {
  inner_.idle();
  if (running_ && cancelled_) throw EIdRequestCancelled(message_);
}

}  // namespace pellora::exchange
