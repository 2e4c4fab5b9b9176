// Reading an HTTP answer: the status line and headers (skipping interim
// "100 Continue" answers) and the body by whichever framing the headers
// choose. Everything reads from an `HttpInput`, so tests and fuzzers feed
// bytes without a socket.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "exchange/http_input.h"
#include "exchange/http_work.h"

namespace pellora::exchange {

struct HttpAnswerHead {
  std::string statusLine;  // as received, less its line end
  int code = 0;            // the number after the first space; 0 when there is none
  std::vector<std::pair<std::string, std::string>> headers;  // in order, values trimmed

  // Value of the first header named `name` (ignoring case).
  std::optional<std::string> header(const std::string& name) const;
};

// An unreadable "Content-Length" (negative, too large, not a number) with
// nothing else to delimit the body: the answer cannot be read. Conflicting:
// several "Content-Length" headers that differ; which one is true cannot be
// told, so neither is.
enum class BodyFraming { None, Length, Chunked, ToClose, Unreadable, Conflicting };

// Most header lines (and bytes of head) one answer may carry.
inline constexpr std::size_t kMaxHeaderLines = 1000;
// Largest answer body the client holds, the server's own limit for a request.
inline constexpr std::int64_t kMaxAnswerBytes = 64 * 1024 * 1024;

// Reads status line and headers. `onHead` runs after every head read,
// interim ones included (the client stores cookies there). Throws
// EIdConnClosedGracefully when the connection ends before a status line.
HttpAnswerHead readAnswerHead(HttpInput& input,
                              const std::function<void(const HttpAnswerHead&)>& onHead = {});

// How the body of an answer with this head is delimited. Answers with codes
// 1xx, 204 and 304 never carry one. A "Transfer-Encoding" overrides any
// "Content-Length": chunked when that is the last coding, else to the close.
BodyFraming bodyFraming(const HttpAnswerHead& head);

// Whether the connection may carry another request after this answer's body.
// Not after a body read to the close, nor after one whose head named both a
// transfer coding and a length: a server or proxy on the way may have framed
// it by the other, and its next bytes would be read as our next answer.
bool framingAllowsReuse(const HttpAnswerHead& head);

// Reads the body into `sink`, opening receive phases on `meter`. A body
// announced or growing beyond `limit` bytes fails before more than `limit`
// are held, and so does an unreadable or conflicting length. Trailer lines
// after a chunked body are bounded like header lines.
void readAnswerBody(HttpInput& input, const HttpAnswerHead& head, BodyBuffer& sink,
                    WorkMeter& meter, std::int64_t limit = kMaxAnswerBytes);

// The failure message of an answer body beyond `limit` bytes.
std::string answerTooLargeMessage(std::int64_t limit);

// The message of a refused answer: its status line as received, unless the
// line cannot be shown as text (empty, or holding control bytes such as NUL,
// which would cut or blank a message box); then a readable description with
// those bytes written as \xNN.
std::string statusLineMessage(const std::string& statusLine);

// The "Content-Length" value when it is a decimal number, else nothing.
std::optional<std::int64_t> contentLength(const HttpAnswerHead& head);

}  // namespace pellora::exchange
