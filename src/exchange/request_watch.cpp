#include "exchange/request_watch.h"

#include <utility>

#include "exchange/id_exceptions.h"

// Covered by tests/exchange/hostile_server_test.cpp.

namespace pellora::exchange {

void RequestWatch::start(Clock::time_point now) {
  running_ = true;
  cancelled_ = false;
  lastMoved_ = now;
  started_ = now;
  recent_.clear();
}

void RequestWatch::moved(Clock::time_point now, std::int64_t bytes) {
  lastMoved_ = now;
  if (!recent_.empty() && now - recent_.back().first < rateWindow_ / 10) {
    recent_.back().second += bytes;
  } else {
    recent_.emplace_back(now, bytes);
  }
  while (now - recent_.front().first > rateWindow_) recent_.pop_front();
}

std::optional<std::int64_t> RequestWatch::movedInWindow(Clock::time_point now) {
  if (!running_ || now - started_ < rateWindow_) return std::nullopt;
  while (!recent_.empty() && now - recent_.front().first > rateWindow_) recent_.pop_front();
  std::int64_t bytes = 0;
  for (const auto& entry : recent_) bytes += entry.second;
  return bytes;
}

bool RequestWatch::cancel(std::string message) {
  if (!running_) return false;
  if (cancelled_) return true;
  cancelled_ = true;
  message_ = std::move(message);
  return true;
}

bool RequestWatch::cancelIfQuiet(Clock::time_point now, int quietMs, std::string message) {
  if (!running_) return false;
  if (cancelled_) return true;
  if (now - lastMoved_ < std::chrono::milliseconds(quietMs)) return false;
  return cancel(std::move(message));
}

void RequestWatch::idle() {
  inner_.idle();
  if (running_ && cancelled_) throw EIdRequestCancelled(message_);
}

}  // namespace pellora::exchange
