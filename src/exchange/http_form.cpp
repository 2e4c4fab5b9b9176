#include "exchange/http_form.h"

#include <cstring>

#include "content/url_encode.h"
#include "exchange/http_text.h"
#include "exchange/memory_advice.h"

// Covered by tests/exchange/http_form_test.cpp.

namespace pellora::exchange {

namespace {

// Writes bytes, turning every CR LF into "&" when lines are joined. The CR
// of a pair is always the last byte written (a joined pair leaves "&"), so
// the pair is found as the LF arrives, paired as a scan of the whole text
// would pair it.
class JoinedWriter {
 public:
  JoinedWriter(char* out, bool join) : begin_(out), out_(out), join_(join) {}
  void put(std::string_view bytes) {
    for (char c : bytes) {
      if (join_ && c == '\n' && out_ != begin_ && out_[-1] == '\r') {
        out_[-1] = '&';
      } else {
        *out_++ = c;
      }
    }
  }
  // Encoded text holds neither CR nor LF, and cannot end a pair.
  void putEncoded(std::string_view value) { out_ = content::UrlEncodeInto(value, out_); }
  std::size_t size() const { return static_cast<std::size_t>(out_ - begin_); }

 private:
  char* begin_;
  char* out_;
  bool join_;
};

bool isControl(char c) { return static_cast<unsigned char>(c) <= 0x20; }

}  // namespace

std::string formPostBody(std::span<const FormLine> lines) {
  std::size_t size = 0;
  for (const FormLine& line : lines) {
    size += line.head.size() + 2 +
            (line.encode ? content::UrlEncodedSize(line.value) : line.value.size());
  }
  std::string body;
  body.reserve(size);
  adviseFilledSoon(body.data(), body.capacity());
  body.resize(size);
  JoinedWriter writer(body.data(), lines.size() >= 2);
  for (const FormLine& line : lines) {
    writer.put(line.head);
    if (line.encode) {
      writer.putEncoded(line.value);
    } else {
      writer.put(line.value);
    }
    writer.put("\r\n");
  }
  // Trimmed in place: the body is not copied again.
  std::size_t end = writer.size();
  std::size_t begin = 0;
  while (begin < end && isControl(body[begin])) ++begin;
  while (end > begin && isControl(body[end - 1])) --end;
  body.resize(end);
  body.erase(0, begin);
  return body;
}

std::string formPostBody(const std::vector<std::string>& fields) {
  std::vector<FormLine> lines;
  lines.reserve(fields.size());
  for (const std::string& field : fields) lines.push_back({field, {}, false});
  return formPostBody(lines);
}

std::string formPostContentType(const std::string& current) {
  if (current.empty() || equalsIgnoringCase(current, "text/html")) {
    return "application/x-www-form-urlencoded";
  }
  return current;
}

}  // namespace pellora::exchange
