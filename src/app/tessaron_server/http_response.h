// An answer of the server and its bytes on the wire. Three framings exist so
// that every way a client must read a body can be exercised against a real
// server: Content-Length (the ordinary one), chunked (HTTP/1.1 requests
// only; a 1.0 client gets Content-Length), and a body that runs to the end of
// the connection, which closes it.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "app/tessaron_server/http_request.h"

namespace pellora::tessaron {

// A body read while it is sent (a file of the contents folder), so that an
// answer holds one piece of it at a time, however large it is and however
// slowly the client takes it.
class BodyReader {
 public:
  virtual ~BodyReader() = default;
  virtual std::size_t size() const = 0;
  // The next bytes, at most `capacity`; 0 at the end or when the bytes can
  // no longer be read (the file shrank).
  virtual std::size_t read(char* buffer, std::size_t capacity) = 0;
};

struct HttpResponse {
  int status = 200;
  std::string contentType = "text/html; charset=windows-1252";
  std::string body;  // unless `stream` is set
  std::shared_ptr<BodyReader> stream;
  std::string allow;  // "Allow" header of a 405 answer
};

enum class Framing { Length, Chunked, Close };

// The reason phrase of the statuses this server answers with.
std::string_view reasonPhrase(int status);

// An answer for a failed request: the status and its phrase as text.
HttpResponse errorResponse(int status);

inline constexpr std::size_t kChunkBytes = 4096;

struct WireAnswer {
  std::string bytes;
  bool keepOpen = false;
  Framing framing = Framing::Length;  // the one used, which the stream must follow
};

// The bytes of `response` to a request of HTTP/1.<minorVersion> and whether
// the connection stays open after it. `keepAlive` is the client's wish
// (wantsKeepAlive); a Close framing or a failed request ends the connection.
// `withBody` is false for an answer to HEAD. A response with a stream gets
// its head only; its body goes out with sendStream.
WireAnswer serializeResponse(const HttpResponse& response, int minorVersion, bool keepAlive,
                             Framing framing, bool withBody = true);

// The framing of one piece of a streamed body, and of its end.
std::string chunkHead(std::size_t size);
inline constexpr std::string_view kLastChunk = "0\r\n\r\n";

}  // namespace pellora::tessaron
