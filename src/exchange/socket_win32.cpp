// The Winsock transport: the same steps as socket_posix.cpp (non-blocking
// connect waited for in slices, reads and writes waited for within the read
// time-out) with select() in place of poll(). select() is used rather than
// WSAPoll because older Windows versions' WSAPoll never reports a refused
// connect, which would turn every refusal into a two-minute wait. Error
// numbers are Winsock's (10061 refused, 11001 host not found); their texts
// come from winsock_support.h.
//
// Covered by tests/exchange/socket_loopback_test.cpp and the client tests.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <chrono>
#include <memory>

#include "exchange/id_exceptions.h"
#include "exchange/socket-private.h"
#include "exchange/socket.h"
#include "exchange/winsock_support.h"

namespace pellora::exchange {

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void throwSocketError(int error) {
  throw EIdSocketError(error, winsockErrorText(error));
}

SOCKET native(SocketHandle fd) { return static_cast<SOCKET>(fd); }

struct AddrInfoDeleter {
  void operator()(ADDRINFOA* info) const { ::freeaddrinfo(info); }
};

std::string addressText(const ADDRINFOA& ai) {
  char text[INET6_ADDRSTRLEN] = {};
  const void* where =
      ai.ai_family == AF_INET6
          ? static_cast<const void*>(&reinterpret_cast<sockaddr_in6*>(ai.ai_addr)->sin6_addr)
          : static_cast<const void*>(&reinterpret_cast<sockaddr_in*>(ai.ai_addr)->sin_addr);
  ::inet_ntop(ai.ai_family, where, text, sizeof text);
  return text;
}

void makeNonBlocking(SocketHandle fd) {
  u_long on = 1;
  ::ioctlsocket(native(fd), FIONBIO, &on);
}

// Waits `waitMs` (< 0: without limit) for `events` on one socket. A failed
// connect shows as an exception condition, reported as writable so that the
// caller reads SO_ERROR. Returns select()'s count.
int selectOne(SocketHandle fd, short events, int waitMs) {
  fd_set readable, writable, failed;
  FD_ZERO(&readable);
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  if (events & POLLIN) FD_SET(native(fd), &readable);
  if (events & POLLOUT) FD_SET(native(fd), &writable);
  FD_SET(native(fd), &failed);
  timeval limit{waitMs / 1000, (waitMs % 1000) * 1000};
  return ::select(0, &readable, &writable, &failed, waitMs < 0 ? nullptr : &limit);
}

}  // namespace

bool detail::waitOnce(SocketHandle fd, short events, int waitMs) {
  const int r = selectOne(fd, events, waitMs);
  if (r == SOCKET_ERROR) throwSocketError(::WSAGetLastError());
  return r > 0;
}

Socket::Socket(SocketHandle fd) : fd_(fd) {
  if (fd_ >= 0) makeNonBlocking(fd_);
}

void Socket::close() {
  if (fd_ >= 0) {
    ::closesocket(native(fd_));
    fd_ = -1;
  }
}

Socket Socket::connect(const std::string& host, const std::string& port, int limitMs,
                       WaitGuard* guard,
                       const std::function<void(const std::string&)>& onConnecting) {
  ensureWinsock();
  // Winsock resolves an empty name to this computer's own addresses; a URL
  // without a host names no computer, as on the other systems.
  if (host.empty()) throwSocketError(WSAHOST_NOT_FOUND);
  ADDRINFOA hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  ADDRINFOA* found = nullptr;
  // getaddrinfo answers with the Winsock error itself (11001, ...).
  if (const int rc = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found); rc != 0) {
    throwSocketError(rc);
  }
  std::unique_ptr<ADDRINFOA, AddrInfoDeleter> addresses(found);

  const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
  int lastError = WSAECONNREFUSED;
  for (const ADDRINFOA* ai = addresses.get(); ai != nullptr; ai = ai->ai_next) {
    if (onConnecting) onConnecting(addressText(*ai));
    // Not inherited by processes the host starts.
    const SOCKET raw = ::WSASocketW(ai->ai_family, ai->ai_socktype, ai->ai_protocol, nullptr, 0,
                                    WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    if (raw == INVALID_SOCKET) {
      lastError = ::WSAGetLastError();
      continue;
    }
    Socket s(static_cast<SocketHandle>(raw));
    if (::connect(raw, ai->ai_addr, static_cast<int>(ai->ai_addrlen)) != 0) {
      if (const int error = ::WSAGetLastError(); error != WSAEWOULDBLOCK) {
        lastError = error;
        continue;
      }
      // `s` closes the half-open socket when the wait times out.
      detail::awaitConnect(s.fd_, POLLOUT, deadline, guard);
      int error = 0;
      int length = sizeof error;
      ::getsockopt(raw, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
      if (error != 0) {
        lastError = error;
        continue;
      }
    }
    // Requests are written whole; no need to wait for more to coalesce.
    const BOOL one = TRUE;
    ::setsockopt(raw, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
    s.guard_ = guard;
    return s;
  }
  throw EIdConnectException(winsockErrorText(lastError));
}

std::size_t Socket::receive(char* buffer, std::size_t capacity) {
  if (fd_ < 0) throw EIdNotConnected();
  const int chunk = capacity > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(capacity);
  for (;;) {
    const int n = ::recv(native(fd_), buffer, chunk, 0);
    if (n >= 0) return static_cast<std::size_t>(n);
    const int error = ::WSAGetLastError();
    if (error != WSAEWOULDBLOCK) throwSocketError(error);
    if (!waitReady(POLLIN)) throw EIdReadTimeout();
  }
}

void Socket::sendAll(const char* data, std::size_t size,
                     const std::function<void(std::size_t)>& onSent) {
  if (fd_ < 0) throw EIdNotConnected();
  while (size > 0) {
    const int chunk = size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size);
    const int n = ::send(native(fd_), data, chunk, 0);
    if (n > 0) {
      data += n;
      size -= static_cast<std::size_t>(n);
      if (onSent) onSent(static_cast<std::size_t>(n));
      continue;
    }
    const int error = n < 0 ? ::WSAGetLastError() : WSAECONNRESET;
    if (error == WSAEWOULDBLOCK) {
      if (!waitReady(POLLOUT)) throw EIdWriteTimeout();
      continue;
    }
    if (error == WSAECONNRESET || error == WSAECONNABORTED || error == WSAENOTCONN ||
        error == WSAESHUTDOWN) {
      throw EIdNotConnected();
    }
    throwSocketError(error);
  }
}

bool Socket::peerClosed(int waitMs) {
  if (fd_ < 0) return true;
  const int r = selectOne(fd_, POLLIN, waitMs);
  if (r <= 0) return r < 0;
  char byte;
  const int n = ::recv(native(fd_), &byte, 1, MSG_PEEK);
  if (n > 0) return false;
  return n == 0 || ::WSAGetLastError() != WSAEWOULDBLOCK;
}

}  // namespace pellora::exchange
