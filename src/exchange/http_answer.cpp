#include "exchange/http_answer.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "content/extract_body.h"
#include "exchange/http_text.h"
#include "exchange/id_exceptions.h"

// Covered by tests/exchange/http_answer_test.cpp and fuzz/http_answer_fuzz.cpp.

namespace pellora::exchange {

namespace {

int statusCode(const std::string& statusLine) {
  const std::size_t space = statusLine.find(' ');
  if (space == std::string::npos) return 0;
  int code = 0;
  const char* begin = statusLine.data() + space + 1;
  const char* end = statusLine.data() + statusLine.size();
  auto [ptr, ec] = std::from_chars(begin, end, code);
  if (ec != std::errc() || ptr == begin) return 0;
  return code;
}

// Chunk size line: hexadecimal digits, then optionally a blank or ";" and
// anything else. Nothing else passes: a size we cannot read is a broken
// answer, not a reason to guess.
std::int64_t chunkSize(const std::string& line, int code) {
  std::size_t end = line.find_first_of(" ;\t");
  if (end == std::string::npos) end = line.size();
  std::int64_t size = 0;
  const char* first = line.data();
  auto [ptr, ec] = std::from_chars(first, first + end, size, 16);
  if (end == 0 || ec != std::errc() || ptr != first + end || size < 0) {
    throw EIdHTTPProtocolException(code, "Invalid chunk size in answer.", "");
  }
  return size;
}

std::string nextLineOrClosed(HttpInput& input) {
  std::optional<std::string> line = input.readLine();
  if (!line) throw EIdConnClosedGracefully();
  return *line;
}

// Reads exactly `size` bytes; a connection that ends first is a failure,
// since the body would be silently cut short.
void readExactly(HttpInput& input, std::int64_t size, BodyBuffer& sink) {
  std::int64_t left = size;
  while (left > 0) {
    const std::size_t n =
        input.readInto(sink, static_cast<std::size_t>(std::min<std::int64_t>(left, kReceivePiece)));
    if (n == 0) throw EIdConnClosedGracefully();
    left -= static_cast<std::int64_t>(n);
  }
}

}  // namespace

std::optional<std::string> HttpAnswerHead::header(const std::string& name) const {
  for (const auto& [key, value] : headers) {
    if (equalsIgnoringCase(key, name)) return value;
  }
  return std::nullopt;
}

HttpAnswerHead readAnswerHead(HttpInput& input,
                              const std::function<void(const HttpAnswerHead&)>& onHead) {
  for (;;) {
    HttpAnswerHead head;
    std::optional<std::string> status = input.readLine();
    if (!status) throw EIdConnClosedGracefully();
    head.statusLine = *status;
    head.code = statusCode(head.statusLine);
    for (;;) {
      std::string line = nextLineOrClosed(input);
      if (line.empty()) break;
      if (head.headers.size() >= kMaxHeaderLines) {
        throw EIdHTTPProtocolException(head.code, "Too many header lines in answer.", "");
      }
      const std::size_t colon = line.find(':');
      if (colon == std::string::npos) continue;  // not a header; nothing to learn from it
      head.headers.emplace_back(content::TrimControl(line.substr(0, colon)),
                                content::TrimControl(line.substr(colon + 1)));
    }
    if (onHead) onHead(head);
    if (head.code != 100) return head;
  }
}

std::optional<std::int64_t> contentLength(const HttpAnswerHead& head) {
  std::optional<std::string> text = head.header("Content-Length");
  if (!text) return std::nullopt;
  std::int64_t value = 0;
  auto [ptr, ec] = std::from_chars(text->data(), text->data() + text->size(), value);
  if (text->empty() || ec != std::errc() || ptr != text->data() + text->size()) return std::nullopt;
  return value;
}

BodyFraming bodyFraming(const HttpAnswerHead& head) {
  if ((head.code >= 100 && head.code < 200) || head.code == 204 || head.code == 304) {
    return BodyFraming::None;
  }
  const std::optional<std::string> lengthText = head.header("Content-Length");
  const std::optional<std::int64_t> length = contentLength(head);
  if (length && *length >= 1) return BodyFraming::Length;
  std::optional<std::string> encoding = head.header("Transfer-Encoding");
  if (encoding && containsIgnoringCase(*encoding, "chunked")) return BodyFraming::Chunked;
  if (!lengthText) return BodyFraming::ToClose;
  return BodyFraming::None;
}

void readAnswerBody(HttpInput& input, const HttpAnswerHead& head, BodyBuffer& sink,
                    WorkMeter& meter) {
  switch (bodyFraming(head)) {
    case BodyFraming::None:
      return;
    case BodyFraming::Length: {
      const std::int64_t length = *contentLength(head);
      WorkPhase phase(meter, wmRead, length);
      sink.reserve(static_cast<std::size_t>(length));
      readExactly(input, length, sink);
      return;
    }
    case BodyFraming::Chunked: {
      for (;;) {
        const std::int64_t size = chunkSize(nextLineOrClosed(input), head.code);
        if (size == 0) break;
        {
          WorkPhase phase(meter, wmRead, size);
          readExactly(input, size, sink);
        }
        nextLineOrClosed(input);  // the line end after the data
      }
      // Trailer lines, if any, up to the empty line that ends the answer.
      for (std::optional<std::string> line = input.readLine(); line && !line->empty();
           line = input.readLine()) {
      }
      return;
    }
    case BodyFraming::ToClose: {
      WorkPhase phase(meter, wmRead, 0);
      while (input.readInto(sink, kReceivePiece) > 0) {
      }
      return;
    }
  }
}

}  // namespace pellora::exchange
