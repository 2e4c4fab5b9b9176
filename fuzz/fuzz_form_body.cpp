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
#include "support/plain_form_body.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
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
  const std::string expected = pellora::test::plainFormBody(fields);

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
