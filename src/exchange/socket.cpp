// The waiting both transports share; the system calls are in
// socket_posix.cpp and socket_win32.cpp.
//
// Covered by tests/exchange/socket_test.cpp and tests/exchange/socket_loopback_test.cpp.
#include "exchange/socket.h"

#include "exchange/id_exceptions.h"
#include "exchange/socket-private.h"

namespace pellora::exchange {

namespace {

using Clock = std::chrono::steady_clock;

std::function<void()> pumpOf(WaitGuard* guard) {
  return [guard] {
    if (guard != nullptr && guard->idleSliceMs() > 0) guard->idle();
  };
}

}  // namespace

bool waitForEvents(SocketHandle fd, short events, int limitMs, int sliceMs,
                   const std::function<void()>& afterIdleSlice) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs < 0 ? 0 : limitMs);
  for (;;) {
    int wait = -1;
    bool lastSlice = false;
    if (limitMs >= 0) {
      const auto left =
          std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return false;
      wait = static_cast<int>(left);
      lastSlice = sliceMs <= 0 || wait <= sliceMs;
    }
    if (sliceMs > 0 && (wait < 0 || wait > sliceMs)) wait = sliceMs;
    if (detail::waitOnce(fd, events, wait)) return true;
    // The slice that used up the limit ends the wait; no pumping after it.
    if (lastSlice) return false;
    if (afterIdleSlice) afterIdleSlice();
  }
}

void detail::awaitConnect(SocketHandle fd, short writable, Clock::time_point deadline,
                          WaitGuard* guard) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  if (!waitForEvents(fd, writable, left > 0 ? static_cast<int>(left) : 0, kConnectSliceMs,
                     pumpOf(guard))) {
    throw EIdConnectTimeout();
  }
}

Socket::Socket(Socket&& other) noexcept
    : fd_(other.fd_), guard_(other.guard_), readTimeoutMs_(other.readTimeoutMs_) {
  other.fd_ = -1;
}

Socket& Socket::operator=(Socket&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = other.fd_;
    guard_ = other.guard_;
    readTimeoutMs_ = other.readTimeoutMs_;
    other.fd_ = -1;
  }
  return *this;
}

bool Socket::waitReady(short events) {
  const int slice = guard_ != nullptr ? guard_->idleSliceMs() : 0;
  return waitForEvents(fd_, events, readTimeoutMs_ > 0 ? readTimeoutMs_ : -1, slice,
                       pumpOf(guard_));
}

}  // namespace pellora::exchange
