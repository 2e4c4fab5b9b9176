// Covered by tests/content/line_ends_test.cpp.
#include "content/line_ends.h"

namespace pellora::content {

void ReduceCrLfInPlace(std::string& text) {
  std::size_t out = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    text[out++] = text[i];
  }
  text.resize(out);
}

std::string ReduceCrLf(std::string_view text) {
  std::string out(text);
  ReduceCrLfInPlace(out);
  return out;
}

}  // namespace pellora::content
