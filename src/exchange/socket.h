// A TCP connection of the HTTP client, owned like a file: the descriptor is
// closed when the Socket goes. Every blocking step waits in slices, so that
// a guard can keep the window alive in between, and reports failures as the
// client's exceptions (id_exceptions.h). One implementation per system:
// socket_posix.cpp (poll) and socket_win32.cpp (Winsock).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "exchange/http_input.h"

namespace pellora::exchange {

// Between slices of a blocking wait.
class WaitGuard {
 public:
  virtual ~WaitGuard() = default;
  // Length of an idle slice in ms while a guard is in force; 0 when none is.
  virtual int idleSliceMs() = 0;
  // Runs after a slice that brought nothing.
  virtual void idle() = 0;
};

// A descriptor on POSIX systems, a SOCKET on Windows; -1 is none.
using SocketHandle = std::intptr_t;

// Slice length of a connect wait.
inline constexpr int kConnectSliceMs = 125;

// Waits until `fd` reports one of `events` (POLLIN, POLLOUT of the system's
// headers), or an error or hang-up. The wait is cut into slices of `sliceMs`
// (0: one piece); `afterIdleSlice` runs after every slice that ended without
// the event. `limitMs` < 0 waits without limit. Returns false when the limit
// ran out first.
bool waitForEvents(SocketHandle fd, short events, int limitMs, int sliceMs,
                   const std::function<void()>& afterIdleSlice);

class Socket : public ByteSource {
 public:
  Socket() = default;
  // Takes over a connected socket; on Windows it is made non-blocking.
  explicit Socket(SocketHandle fd);
  ~Socket() override { close(); }
  Socket(Socket&& other) noexcept;
  Socket& operator=(Socket&& other) noexcept;
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  // Resolves `host` (blocking, without pumping), then connects to its
  // addresses in turn within `limitMs` in total, waiting in slices of
  // kConnectSliceMs and letting `guard` (may be null) pump between them.
  // `onConnecting` hears the address text before each attempt.
  static Socket connect(const std::string& host, const std::string& port, int limitMs,
                        WaitGuard* guard,
                        const std::function<void(const std::string&)>& onConnecting = {});

  bool isOpen() const { return fd_ >= 0; }
  SocketHandle fd() const { return fd_; }
  void close();

  // The guard consulted while waiting for data; may be null.
  void setGuard(WaitGuard* guard) { guard_ = guard; }
  // Longest wait for data in ms; 0 waits without limit.
  void setReadTimeout(int ms) { readTimeoutMs_ = ms; }
  int readTimeout() const { return readTimeoutMs_; }

  // ByteSource: throws EIdReadTimeout when the read time-out runs out and
  // EIdSocketError when the system reports a failure.
  std::size_t receive(char* buffer, std::size_t capacity) override;
  // Writes everything; throws EIdNotConnected when the peer is gone. A peer
  // that stops reading is waited for like data to read: in the guard's idle
  // slices and within the read time-out (EIdWriteTimeout). `onSent` hears
  // the size of every piece the system took.
  void sendAll(const char* data, std::size_t size,
               const std::function<void(std::size_t)>& onSent = {});
  // Polls for `waitMs`: true when the peer has closed its end (or the
  // connection failed) meanwhile.
  bool peerClosed(int waitMs);

 private:
  // Waits for `events` in the guard's idle slices within the read time-out;
  // false when the time-out ran out.
  bool waitReady(short events);

  SocketHandle fd_ = -1;
  WaitGuard* guard_ = nullptr;
  int readTimeoutMs_ = 0;
};

}  // namespace pellora::exchange
