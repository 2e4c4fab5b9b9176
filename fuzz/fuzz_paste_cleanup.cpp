// CleanPastedHtml on arbitrary bytes, with the options from the first byte.
// The result grows by a bounded factor at most (a "<" becomes "&lt;", a
// quote "&quot;", an element gains its end tag and the elements a styled
// span stands for) and holds no comment or script.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "content/paste_cleanup.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const pellora::content::PasteOptions options{(data[0] & 1) != 0, (data[0] & 2) != 0};
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string cleaned = pellora::content::CleanPastedHtml(input, options);
  check(cleaned.size() <= 64 * input.size() + 64);
  check(cleaned.find("<!--") == std::string::npos);
  check(cleaned.find("<script") == std::string::npos);
  (void)pellora::content::ShowsNothing(cleaned);
  return 0;
}
