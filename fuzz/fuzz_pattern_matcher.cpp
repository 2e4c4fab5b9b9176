// Pattern and subject from one input: byte 0 holds the options (bit 0
// case-insensitive, bit 1 greedy off), byte 1 the pattern length, then the
// pattern, then the subject. Every match must lie inside the subject and
// Replace must keep the text between matches.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "content/pattern_matcher.h"

using pellora::content::EPatternError;
using pellora::content::PatternMatcher;

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

void checkGroups(const PatternMatcher& m, std::ptrdiff_t size) {
  for (int g = 0; g <= PatternMatcher::kGroupCount; ++g) {
    const auto pos = m.matchPos(g);
    const auto len = m.matchLen(g);
    if (pos == -1) {
      check(len == -1 && g > 0);
      continue;
    }
    check(pos >= 1 && len >= 0 && pos - 1 + len <= size);
    check(static_cast<std::ptrdiff_t>(m.match(g).size()) == len);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t patternLength = std::min<std::size_t>(data[1], size - 2);
  const std::string pattern(input.substr(2, patternLength));
  const std::string_view subject = input.substr(2 + patternLength);
  const std::string_view effective = subject.substr(0, subject.find('\0'));

  PatternMatcher m;
  m.setCaseInsensitive(data[0] & 1);
  m.setGreedy(!(data[0] & 2));
  m.setPattern(pattern);
  try {
    std::ptrdiff_t lastEnd = 0;
    int matches = 0;
    for (bool found = m.Exec(subject); found; found = m.ExecNext()) {
      checkGroups(m, static_cast<std::ptrdiff_t>(effective.size()));
      check(m.matchPos(0) - 1 >= lastEnd);
      lastEnd = m.matchPos(0) - 1 + m.matchLen(0);
      check(++matches <= static_cast<int>(effective.size()) + 1);
    }
    (void)m.Substitute("$1${2}$&\\$$x${15}");
    const std::string replaced = m.Replace(subject, "");
    check(replaced.size() <= subject.size());
  } catch (const EPatternError& e) {
    check(e.position() >= 1 && e.position() <= pattern.size());
  }
  return 0;
}
