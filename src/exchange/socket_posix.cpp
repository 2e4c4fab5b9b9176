#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>

#include "exchange/id_exceptions.h"
#include "exchange/socket-private.h"
#include "exchange/socket.h"

// Covered by tests/exchange/socket_test.cpp and the client tests.

namespace pellora::exchange {

namespace {

using Clock = std::chrono::steady_clock;

std::string errorText(int error) { return std::strerror(error); }

[[noreturn]] void throwSocketError(int error) { throw EIdSocketError(error, errorText(error)); }

struct AddrInfoDeleter {
  void operator()(addrinfo* info) const { freeaddrinfo(info); }
};

std::string addressText(const addrinfo& ai) {
  char text[INET6_ADDRSTRLEN] = {};
  const void* where =
      ai.ai_family == AF_INET6
          ? static_cast<const void*>(&reinterpret_cast<sockaddr_in6*>(ai.ai_addr)->sin6_addr)
          : static_cast<const void*>(&reinterpret_cast<sockaddr_in*>(ai.ai_addr)->sin_addr);
  inet_ntop(ai.ai_family, where, text, sizeof text);
  return text;
}

}  // namespace

bool detail::waitOnce(SocketHandle fd, short events, int waitMs) {
  pollfd p{static_cast<int>(fd), events, 0};
  for (;;) {
    const int r = ::poll(&p, 1, waitMs);
    if (r >= 0) return r > 0;
    if (errno != EINTR) throwSocketError(errno);
  }
}

Socket::Socket(SocketHandle fd) : fd_(fd) {}

void Socket::close() {
  if (fd_ >= 0) {
    ::close(static_cast<int>(fd_));
    fd_ = -1;
  }
}

Socket Socket::connect(const std::string& host, const std::string& port, int limitMs,
                       WaitGuard* guard,
                       const std::function<void(const std::string&)>& onConnecting) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (const int rc = getaddrinfo(host.c_str(), port.c_str(), &hints, &found); rc != 0) {
    const int error = rc == EAI_SYSTEM ? errno : rc;
    throw EIdSocketError(error, rc == EAI_SYSTEM ? errorText(errno) : gai_strerror(rc));
  }
  std::unique_ptr<addrinfo, AddrInfoDeleter> addresses(found);

  const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
  int lastError = ECONNREFUSED;
  for (const addrinfo* ai = addresses.get(); ai != nullptr; ai = ai->ai_next) {
    if (onConnecting) onConnecting(addressText(*ai));
    Socket s(
        ::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol));
    if (!s.isOpen()) {
      lastError = errno;
      continue;
    }
    const int fd = static_cast<int>(s.fd_);
    if (::connect(fd, ai->ai_addr, ai->ai_addrlen) != 0) {
      if (errno != EINPROGRESS) {
        lastError = errno;
        continue;
      }
      // `s` closes the half-open socket when the wait times out.
      detail::awaitConnect(s.fd_, POLLOUT, deadline, guard);
      int error = 0;
      socklen_t length = sizeof error;
      getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
      if (error != 0) {
        lastError = error;
        continue;
      }
    }
    // Requests are written whole; no need to wait for more to coalesce.
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    s.guard_ = guard;
    return s;
  }
  throw EIdConnectException(errorText(lastError));
}

std::size_t Socket::receive(char* buffer, std::size_t capacity) {
  if (fd_ < 0) throw EIdNotConnected();
  for (;;) {
    const ssize_t n = ::recv(static_cast<int>(fd_), buffer, capacity, MSG_DONTWAIT);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) throwSocketError(errno);
    if (!waitReady(POLLIN)) throw EIdReadTimeout();
  }
}

void Socket::sendAll(const char* data, std::size_t size,
                     const std::function<void(std::size_t)>& onSent) {
  if (fd_ < 0) throw EIdNotConnected();
  while (size > 0) {
    const ssize_t n = ::send(static_cast<int>(fd_), data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      data += n;
      size -= static_cast<std::size_t>(n);
      if (onSent) onSent(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!waitReady(POLLOUT)) throw EIdWriteTimeout();
      continue;
    }
    if (n < 0 && (errno == EPIPE || errno == ECONNRESET || errno == ENOTCONN))
      throw EIdNotConnected();
    throwSocketError(n < 0 ? errno : EIO);
  }
}

bool Socket::peerClosed(int waitMs) {
  if (fd_ < 0) return true;
  pollfd p{static_cast<int>(fd_), POLLIN, 0};
  const int r = ::poll(&p, 1, waitMs);
  if (r <= 0) return r < 0;
  if (p.revents & (POLLERR | POLLNVAL)) return true;
  char byte;
  const ssize_t n = ::recv(static_cast<int>(fd_), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
  if (n > 0) return false;
  return n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

}  // namespace pellora::exchange
