#include "exchange/http_answer.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>

#include "content/extract_body.h"
#include "exchange/http_text.h"
#include "exchange/id_exceptions.h"

// Covered by tests/exchange/http_answer_test.cpp and fuzz/fuzz_http_answer.cpp.

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
  // from_chars takes a sign; "-0" would end the body early.
  if (end == 0 || !std::isxdigit(static_cast<unsigned char>(line[0])) || ec != std::errc() ||
      ptr != first + end || size < 0) {
    throw EIdHTTPProtocolException(code, "Invalid chunk size in answer.", "");
  }
  return size;
}

std::optional<std::int64_t> decimalLength(const std::string& text) {
  std::int64_t value = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

// The last coding of all "Transfer-Encoding" headers taken as one list; none
// when there is no such header or it names nothing.
std::optional<std::string> lastTransferCoding(const HttpAnswerHead& head) {
  std::optional<std::string> last;
  for (const auto& [name, value] : head.headers) {
    if (!equalsIgnoringCase(name, "Transfer-Encoding")) continue;
    const std::string& list = value;
    // Parameters of a coding do not change which coding it is.
    for (std::size_t start = 0; start <= list.size();) {
      std::size_t comma = list.find(',', start);
      if (comma == std::string::npos) comma = list.size();
      std::string coding = list.substr(start, comma - start);
      coding = content::TrimControl(coding.substr(0, coding.find(';')));
      if (!coding.empty()) last = coding;
      start = comma + 1;
    }
  }
  return last;
}

std::string nextLineOrClosed(HttpInput& input) {
  std::optional<std::string> line = input.readLine();
  if (!line) throw EIdConnClosedGracefully();
  return *line;
}

[[noreturn]] void throwTooLarge(int code, std::int64_t limit) {
  throw EIdHTTPProtocolException(code, answerTooLargeMessage(limit), "");
}

// Reads exactly `size` bytes; a connection that ends first is a failure,
// since the body would be silently cut short.
void readExactly(HttpInput& input, std::int64_t size, BodyBuffer& sink) {
  std::int64_t left = size;
  while (left > 0) {
    const std::size_t n =
        input.readInto(sink, static_cast<std::size_t>(std::min<std::int64_t>(
                                 left, std::numeric_limits<std::int32_t>::max())));
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
  return decimalLength(*text);
}

BodyFraming bodyFraming(const HttpAnswerHead& head) {
  if ((head.code >= 100 && head.code < 200) || head.code == 204 || head.code == 304) {
    return BodyFraming::None;
  }
  if (const std::optional<std::string> coding = lastTransferCoding(head)) {
    return equalsIgnoringCase(*coding, "chunked") ? BodyFraming::Chunked : BodyFraming::ToClose;
  }
  std::optional<std::int64_t> length;
  for (const auto& [name, text] : head.headers) {
    if (!equalsIgnoringCase(name, "Content-Length")) continue;
    // Reading an unreadable length as 0 would pass an empty document off as
    // the item, and the next save would store it.
    const std::optional<std::int64_t> value = decimalLength(text);
    if (!value || *value < 0) return BodyFraming::Unreadable;
    if (length && *length != *value) return BodyFraming::Conflicting;
    length = value;
  }
  if (!length) return BodyFraming::ToClose;
  return *length >= 1 ? BodyFraming::Length : BodyFraming::None;
}

bool framingAllowsReuse(const HttpAnswerHead& head) {
  const BodyFraming framing = bodyFraming(head);
  if (framing == BodyFraming::ToClose) return false;
  return !(framing == BodyFraming::Chunked && head.header("Content-Length"));
}

std::string answerTooLargeMessage(std::int64_t limit) {
  constexpr std::int64_t kMB = 1024 * 1024;
  const std::string size =
      limit % kMB == 0 ? std::to_string(limit / kMB) + " MB" : std::to_string(limit) + " bytes";
  return "The server's answer is larger than " + size + "; it was not taken.";
}

std::string statusLineMessage(const std::string& statusLine) {
  const bool showable =
      !statusLine.empty() && std::none_of(statusLine.begin(), statusLine.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && c != '\t') || byte == 0x7F;
      });
  if (showable) return statusLine;
  constexpr std::size_t kShown = 200;  // enough to recognise; a line may be 64 KB
  std::string shown;
  for (std::size_t i = 0; i < statusLine.size() && i < kShown; ++i) {
    const auto byte = static_cast<unsigned char>(statusLine[i]);
    if ((byte < 0x20 && statusLine[i] != '\t') || byte == 0x7F || statusLine[i] == '\\') {
      static const char kHex[] = "0123456789ABCDEF";
      shown += "\\x";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 0xF];
    } else {
      shown += statusLine[i];
    }
  }
  if (statusLine.size() > kShown) shown += "...";
  return "The server answered with an unreadable status line: \"" + shown + "\"";
}

void readAnswerBody(HttpInput& input, const HttpAnswerHead& head, BodyBuffer& sink,
                    WorkMeter& meter, std::int64_t limit) {
  switch (bodyFraming(head)) {
    case BodyFraming::None:
      return;
    case BodyFraming::Unreadable:
      throw EIdHTTPProtocolException(
          head.code, "The server's answer has an unreadable Content-Length; it was not taken.", "");
    case BodyFraming::Conflicting:
      throw EIdHTTPProtocolException(
          head.code, "The server's answer has conflicting Content-Length values; it was not taken.",
          "");
    case BodyFraming::Length: {
      const std::int64_t length = *contentLength(head);
      if (length > limit) throwTooLarge(head.code, limit);
      WorkPhase phase(meter, wmRead, length);
      sink.reserve(static_cast<std::size_t>(length));
      readExactly(input, length, sink);
      return;
    }
    case BodyFraming::Chunked: {
      std::int64_t total = 0;
      for (;;) {
        const std::int64_t size = chunkSize(nextLineOrClosed(input), head.code);
        if (size == 0) break;
        if (size > limit - total) throwTooLarge(head.code, limit);
        total += size;
        {
          WorkPhase phase(meter, wmRead, size);
          readExactly(input, size, sink);
        }
        // Data longer than its size would otherwise be cut off unnoticed.
        if (!nextLineOrClosed(input).empty()) {
          throw EIdHTTPProtocolException(head.code, "Invalid chunk data in answer.", "");
        }
      }
      // Trailer lines, if any, up to the empty line that ends the answer.
      std::size_t trailerLines = 0;
      for (std::optional<std::string> line = input.readLine(); line && !line->empty();
           line = input.readLine()) {
        if (++trailerLines > kMaxHeaderLines) {
          throw EIdHTTPProtocolException(head.code, "Too many trailer lines in answer.", "");
        }
      }
      return;
    }
    case BodyFraming::ToClose: {
      WorkPhase phase(meter, wmRead, 0);
      for (;;) {
        const std::int64_t room = limit - static_cast<std::int64_t>(sink.size());
        if (room <= 0) {
          // Full: one more byte means too large; it goes to a scratch buffer
          // so that no more than `limit` bytes are ever held.
          BodyBuffer probe;
          if (input.readInto(probe, 1) > 0) throwTooLarge(head.code, limit);
          return;
        }
        const std::size_t piece = static_cast<std::size_t>(
            std::min<std::int64_t>(room, std::numeric_limits<std::int32_t>::max()));
        if (input.readInto(sink, piece) == 0) return;
      }
    }
  }
}

}  // namespace pellora::exchange
