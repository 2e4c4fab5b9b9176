// The form body streamed in pieces against the plain construction on
// arbitrary lines. Input: the first byte picks the piece size (3 and up);
// the rest, split at 0xFF, gives head, value, head, value, ...; a value
// whose first byte is odd is encoded.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "content/url_encode.h"
#include "exchange/form_body_stream.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

// Lines joined with CR LF, each CR LF then "&" (two lines or more), control
// bytes trimmed from both ends: the construction the stream must equal.
std::string plainBody(const std::vector<std::string>& fields) {
  std::string text;
  for (const std::string& field : fields) text += field + "\r\n";
  if (fields.size() >= 2) {
    std::string joined;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
        joined += '&';
        ++i;
      } else {
        joined += text[i];
      }
    }
    text = std::move(joined);
  }
  const auto control = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  std::size_t begin = 0, end = text.size();
  while (begin < end && control(text[begin])) ++begin;
  while (end > begin && control(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t piece = 3 + data[0] % 61;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::vector<std::string_view> parts;
  for (std::size_t from = 0;;) {
    const std::size_t cut = rest.find('\xFF', from);
    parts.push_back(
        rest.substr(from, cut == std::string_view::npos ? rest.size() - from : cut - from));
    if (cut == std::string_view::npos) break;
    from = cut + 1;
  }
  std::vector<pellora::exchange::FormLine> lines;
  std::vector<std::string> fields;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    const bool encode = !parts[i + 1].empty() && (parts[i + 1][0] & 1);
    lines.push_back({parts[i], parts[i + 1], encode});
    fields.push_back(std::string(parts[i]) + (encode ? pellora::content::UrlEncode(parts[i + 1])
                                                     : std::string(parts[i + 1])));
  }
  const std::string expected = plainBody(fields);

  pellora::exchange::FormBodyStream stream(lines);
  check(stream.size() == expected.size());
  std::string streamed;
  std::vector<char> buffer(piece);
  while (const std::size_t n = stream.read(buffer.data(), buffer.size())) {
    check(n <= buffer.size());
    streamed.append(buffer.data(), n);
    check(streamed.size() <= expected.size());
  }
  check(streamed == expected);
  return 0;
}
