// WrapLines and FormatServerResponse on arbitrary bytes. WrapLines only
// inserts CR LF pairs: the input must remain a subsequence of its output.
// (No such bound holds for FormatServerResponse: a quote inside a removed
// tag changes where the wrap may cut, see corpus/wrap_lines/quote_in_tag.)
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "content/server_response.h"
#include "content/wrap_lines.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

bool isSubsequence(std::string_view part, std::string_view whole) {
  std::size_t at = 0;
  for (char c : whole) {
    if (at < part.size() && part[at] == c) ++at;
  }
  return at == part.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string wrapped = pellora::content::WrapLines(input);
  check(wrapped.size() >= input.size() && (wrapped.size() - input.size()) % 2 == 0);
  check(isSubsequence(input, wrapped));
  (void)pellora::content::FormatServerResponse(input);
  return 0;
}
