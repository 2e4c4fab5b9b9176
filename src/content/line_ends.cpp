// Covered by tests/content/line_ends_test.cpp.
#include "content/line_ends.h"

namespace pellora::content {

std::string ReduceCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

}  // namespace pellora::content
