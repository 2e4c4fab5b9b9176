// Covered by tests/app/tessaron_server_test.cpp (Served*) and
// tests/app/integration_test.cpp.
#include "app/tessaron_server/connection.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <exception>
#include <string>

namespace pellora::tessaron {

namespace {

enum class Wait { Ready, TimedOut, Failed };

Wait waitFor(int fd, short events, std::chrono::milliseconds limit) {
  pollfd entry{fd, events, 0};
  while (true) {
    const int n = ::poll(&entry, 1, static_cast<int>(limit.count()));
    if (n > 0) return Wait::Ready;
    if (n == 0) return Wait::TimedOut;
    if (errno != EINTR) return Wait::Failed;
  }
}

enum class Receive { Data, Closed, TimedOut };

// Appends what arrives next to `buffer`, waiting at most `limit`.
Receive receiveMore(int fd, std::string& buffer, std::chrono::milliseconds limit) {
  switch (waitFor(fd, POLLIN, limit)) {
    case Wait::Ready:
      break;
    case Wait::TimedOut:
      return Receive::TimedOut;
    case Wait::Failed:
      return Receive::Closed;
  }
  char piece[16384];
  while (true) {
    const ssize_t n = ::recv(fd, piece, sizeof piece, 0);
    if (n > 0) {
      buffer.append(piece, static_cast<std::size_t>(n));
      return Receive::Data;
    }
    if (n < 0 && errno == EINTR) continue;
    return Receive::Closed;  // end of stream or a reset
  }
}

bool sendAll(int fd, std::string_view bytes, std::chrono::milliseconds limit) {
  while (!bytes.empty()) {
    if (waitFor(fd, POLLOUT, limit) != Wait::Ready) return false;
    const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Ends the connection so that the answer already sent is not cut off by a
// reset: stop sending, then drain what the client still sends until it
// closes its end (bounded in time and bytes).
void closeGracefully(int fd) {
  ::shutdown(fd, SHUT_WR);
  std::string discard;
  for (int round = 0; round < 64 && discard.size() < (1u << 20); ++round) {
    if (receiveMore(fd, discard, std::chrono::milliseconds(1000)) != Receive::Data) return;
  }
}

void answerFailure(int fd, int status, const ConnectionSettings& settings) {
  const WireAnswer wire = serializeResponse(errorResponse(status), 1, false, Framing::Length);
  if (sendAll(fd, wire.bytes, settings.idleTimeout)) closeGracefully(fd);
}

// Serves one request from `buffer` (reading more as needed); false when the
// connection is to end.
bool serveOneRequest(int fd, std::string& buffer, const ConnectionSettings& settings,
                     ContentStore& store) {
  HeadParse head = parseRequestHead(buffer, settings.limits);
  while (head.state == HeadParse::State::Incomplete) {
    switch (receiveMore(fd, buffer, settings.idleTimeout)) {
      case Receive::Data:
        break;
      case Receive::Closed:
        return false;
      case Receive::TimedOut:
        // Silence between requests ends a kept connection quietly; silence
        // in the middle of one is answered.
        if (!buffer.empty()) answerFailure(fd, 408, settings);
        return false;
    }
    head = parseRequestHead(buffer, settings.limits);
  }
  if (head.state == HeadParse::State::Failed) {
    answerFailure(fd, head.status, settings);
    return false;
  }
  HttpRequest& request = head.request;
  if (const auto expect = request.header("Expect");
      expect && equalsIgnoreCase(*expect, "100-continue") && buffer.size() == head.headBytes &&
      head.bodyBytes > 0) {
    if (!sendAll(fd, "HTTP/1.1 100 Continue\r\n\r\n", settings.idleTimeout)) return false;
  }
  const std::size_t total = head.headBytes + head.bodyBytes;
  while (buffer.size() < total) {
    switch (receiveMore(fd, buffer, settings.idleTimeout)) {
      case Receive::Data:
        break;
      case Receive::Closed:
        return false;
      case Receive::TimedOut:
        answerFailure(fd, 408, settings);
        return false;
    }
  }
  request.body = buffer.substr(head.headBytes, head.bodyBytes);
  buffer.erase(0, total);

  const HttpResponse response = handleRequest(request, settings.site, store);
  const WireAnswer wire = serializeResponse(response, request.minorVersion, wantsKeepAlive(request),
                                            settings.framing, request.method != "HEAD");
  if (!sendAll(fd, wire.bytes, settings.idleTimeout)) return false;
  if (!wire.keepOpen) closeGracefully(fd);
  return wire.keepOpen;
}

}  // namespace

void serveConnection(Fd socket, const ConnectionSettings& settings, ContentStore& store) {
  try {
    std::string buffer;
    while (serveOneRequest(socket.get(), buffer, settings, store)) {
    }
  } catch (const std::exception&) {
    // Out of memory or the like: this connection ends, the server goes on.
  }
}

}  // namespace pellora::tessaron
