// Covered by tests/content/line_ends_test.cpp.
#include "content/line_ends.h"

#include <cstring>

namespace pellora::content {

void ReduceCrLfInPlace(std::string& text) {
  // Whole runs between CRs move at once; a text without CR is not written.
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* cr = static_cast<const char*>(std::memchr(begin, '\r', text.size()));
  if (cr == nullptr) return;
  char* out = text.data() + (cr - begin);
  const char* from = cr;
  while (cr != nullptr) {
    const bool pair = cr + 1 < end && cr[1] == '\n';
    // The run up to the CR, and the CR itself unless it starts a pair.
    const char* runEnd = pair ? cr : cr + 1;
    std::memmove(out, from, static_cast<std::size_t>(runEnd - from));
    out += runEnd - from;
    from = cr + 1;
    cr = static_cast<const char*>(std::memchr(from, '\r', static_cast<std::size_t>(end - from)));
  }
  std::memmove(out, from, static_cast<std::size_t>(end - from));
  out += end - from;
  text.resize(static_cast<std::size_t>(out - text.data()));
}

std::string ReduceCrLf(std::string_view text) {
  std::string out(text);
  ReduceCrLfInPlace(out);
  return out;
}

}  // namespace pellora::content
