// Covered by tests/app/tessaron_server_test.cpp (Served*),
// tests/app/tessaron_server_slow_client_test.cpp and
// tests/app/integration_test.cpp.
#include "app/tessaron_server/connection.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace pellora::tessaron {

bool sendAll(int fd, std::string_view bytes, std::chrono::milliseconds limit) {
  while (!bytes.empty()) {
    pollfd entry{fd, POLLOUT, 0};
    const int ready = ::poll(&entry, 1, static_cast<int>(limit.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool sendNow(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool sendStream(int fd, BodyReader& reader, Framing framing, std::chrono::milliseconds limit) {
  constexpr std::size_t kPiece = 64 * 1024;
  std::vector<char> piece(kPiece);
  for (std::size_t left = reader.size(); left > 0;) {
    const std::size_t n = reader.read(piece.data(), std::min(left, kPiece));
    if (n == 0) return false;
    left -= n;
    const std::string_view bytes(piece.data(), n);
    if (framing == Framing::Chunked) {
      if (!sendAll(fd, chunkHead(n), limit) || !sendAll(fd, bytes, limit) ||
          !sendAll(fd, "\r\n", limit)) {
        return false;
      }
    } else if (!sendAll(fd, bytes, limit)) {
      return false;
    }
  }
  return framing != Framing::Chunked || sendAll(fd, kLastChunk, limit);
}

std::string failureAnswer(int status) { return closingAnswer(errorResponse(status)); }

std::string closingAnswer(const HttpResponse& response) {
  return serializeResponse(response, 1, false, Framing::Length).bytes;
}

AfterAnswer answerRequest(int fd, HttpRequest request, const ConnectionSettings& settings,
                          ContentStore& store) {
  const int minorVersion = request.minorVersion;
  const bool keepAlive = wantsKeepAlive(request);
  const bool withBody = request.method != "HEAD";
  const HttpResponse response = handleRequest(std::move(request), settings.site, store);
  const WireAnswer wire =
      serializeResponse(response, minorVersion, keepAlive, settings.framing, withBody);
  if (!sendAll(fd, wire.bytes, settings.idleTimeout)) return AfterAnswer::Close;
  if (response.stream && withBody &&
      !sendStream(fd, *response.stream, wire.framing, settings.idleTimeout)) {
    return AfterAnswer::Close;
  }
  if (wire.keepOpen) return AfterAnswer::KeepOpen;
  ::shutdown(fd, SHUT_WR);
  return AfterAnswer::Drain;
}

}  // namespace pellora::tessaron
