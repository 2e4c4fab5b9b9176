// An HTTP request as the server sees it, and the parser of its head. The
// parser takes the bytes received so far and says whether the head is
// complete, still incomplete, or broken beyond repair; it never reads a
// socket, so tests and fuzzers feed it directly. Bodies are framed only by
// Content-Length: the editor never sends another framing, and accepting one
// we do not read would desynchronise the connection.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pellora::tessaron {

class BodyHolding;  // request_body.h

struct HttpRequest {
  std::string method;
  std::string target;
  int minorVersion = 1;  // HTTP/1.<minor>
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;  // unless it was spooled
  // What keeps the body of a received request: its spool file, when it was
  // too large for memory (then `body` is empty), and its share of the
  // server's room. Null for a request made by hand, whose body is `body`.
  std::shared_ptr<const BodyHolding> holding;

  // Value of the first header called `name` (ignoring case), trimmed.
  std::optional<std::string_view> header(std::string_view name) const;
};

struct RequestLimits {
  std::size_t maxHeadBytes = 64 * 1024;
  std::size_t maxHeaders = 100;
  std::size_t maxBodyBytes = 64 * 1024 * 1024;
};

struct HeadParse {
  enum class State { Incomplete, Complete, Failed } state = State::Incomplete;
  // Complete: the request without its body, the head's length in bytes and
  // the body length announced.
  HttpRequest request;
  std::size_t headBytes = 0;
  std::size_t bodyBytes = 0;
  // Failed: the status to answer with (400, 411, 413, 431, 501, 505).
  int status = 0;
};

// Parses the head at the start of `received`. Lines may end in CR LF or LF.
HeadParse parseRequestHead(std::string_view received, const RequestLimits& limits);

// True when the client asked for the connection to stay open: HTTP/1.1
// unless "Connection: close", HTTP/1.0 only with "Connection: keep-alive".
bool wantsKeepAlive(const HttpRequest& request);

// Case-insensitive ASCII comparison.
bool equalsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace pellora::tessaron
