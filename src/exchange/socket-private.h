// What the two transports (socket_posix.cpp, socket_win32.cpp) share with
// socket.cpp, which holds the waiting common to both.
#pragma once

#include <chrono>

#include "exchange/socket.h"

namespace pellora::exchange::detail {

// One wait of at most `waitMs` (< 0: without limit) for `events` on `fd`:
// true when they came (or the socket failed), false when the time ran out.
// Throws EIdSocketError when the system reports a failure. Per system.
bool waitOnce(SocketHandle fd, short events, int waitMs);

// Waits for a pending connect until `deadline`, letting `guard` (may be
// null) pump between slices of kConnectSliceMs; throws EIdConnectTimeout
// when the deadline passes first.
void awaitConnect(SocketHandle fd, short writable, std::chrono::steady_clock::time_point deadline,
                  WaitGuard* guard);

}  // namespace pellora::exchange::detail
