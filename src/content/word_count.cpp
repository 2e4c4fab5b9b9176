#include "content/word_count.h"

namespace pellora::content {

namespace {

// Unicode's white space; 0 stands for the text's edge.
bool separates(char32_t c) {
  return c == 0 || (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

// The character at `p` and the length of its encoding; a byte that starts
// no valid sequence stands for itself.
char32_t decode(const unsigned char* p, const unsigned char* end, int& length) {
  const unsigned char lead = *p;
  length = lead < 0x80           ? 1
           : (lead >> 5) == 0x6  ? 2
           : (lead >> 4) == 0xE  ? 3
           : (lead >> 3) == 0x1E ? 4
                                 : 0;
  if (length == 0 || end - p < length) {
    length = 1;
    return lead;
  }
  if (length == 1) return lead;
  char32_t c = lead & (0x7F >> length);
  for (int i = 1; i < length; ++i) {
    if ((p[i] & 0xC0) != 0x80) {
      length = 1;
      return lead;
    }
    c = (c << 6) | (p[i] & 0x3F);
  }
  return c;
}

template <typename Each>
void forEachChar(std::string_view utf8, Each each) {
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const auto* end = p + utf8.size();
  while (p < end) {
    int length = 1;
    each(decode(p, end, length));
    p += length;
  }
}

// Words among `before`, the text and `after`, as if they stood alone.
long wordsAround(char32_t before, std::string_view text, char32_t after) {
  long words = 0;
  bool inWord = false;
  const auto step = [&](char32_t c) {
    const bool word = !separates(c);
    if (word && !inWord) ++words;
    inWord = word;
  };
  step(before);
  forEachChar(text, step);
  step(after);
  return words;
}

}  // namespace

TextCounts countText(std::string_view utf8) {
  TextCounts counts;
  counts.words = wordsAround(0, utf8, 0);
  forEachChar(utf8, [&counts](char32_t) { ++counts.chars; });
  return counts;
}

long wordsGained(char32_t before, std::string_view inserted, char32_t after) {
  return wordsAround(before, inserted, after) - wordsAround(before, {}, after);
}

}  // namespace pellora::content
