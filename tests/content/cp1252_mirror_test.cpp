// The mirror against the whole conversion: after every edit of a random
// series its text, its length and both offset maps must equal what
// converting the whole UTF-8 text gives.
#include "content/cp1252_mirror.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "content/cp1252.h"

namespace pellora::content {
namespace {

// Characters of one to four UTF-8 bytes, in and outside Windows-1252.
const std::vector<std::string> kAlphabet = {
    "a",
    "<",
    "\r",
    "\n",
    "&",
    "#",
    ";",
    "\xC3\xA9" /* é */,
    "\xE2\x82\xAC" /* € */,
    "\xC5\x82" /* ł, not in the code page */,
    "\xE4\xB8\xAD" /* 中 */,
    "\xF0\x9F\x98\x80" /* an emoji */,
    "\xC2\x81" /* U+0081, an undefined byte */,
};

std::string utf8Of(const std::vector<std::string>& chars, std::size_t from, std::size_t to) {
  std::string out;
  for (std::size_t i = from; i < to; ++i) out += chars[i];
  return out;
}

void expectMatchesWholeConversion(const Cp1252Mirror& mirror,
                                  const std::vector<std::string>& chars) {
  const std::string whole = utf8ToCp1252(utf8Of(chars, 0, chars.size()));
  ASSERT_EQ(mirror.text(), whole);
  ASSERT_EQ(mirror.chars(), chars.size());
  ASSERT_EQ(mirror.bytes(), whole.size());
  std::size_t byte = 0;
  for (std::size_t c = 0; c <= chars.size(); ++c) {
    ASSERT_EQ(mirror.byteOffset(c), byte) << "character " << c;
    if (c == chars.size()) break;
    const std::size_t width = utf8ToCp1252(chars[c]).size();
    for (std::size_t b = byte; b < byte + width; ++b)
      ASSERT_EQ(mirror.charOffset(b), c) << "byte " << b;
    byte += width;
  }
  EXPECT_EQ(mirror.charOffset(whole.size()), chars.size());
  EXPECT_EQ(mirror.charOffset(whole.size() + 10), chars.size()) << "clamped";
  EXPECT_EQ(mirror.byteOffset(chars.size() + 10), whole.size()) << "clamped";
}

TEST(Cp1252MirrorTest, RandomEditsMatchTheWholeConversion) {
  for (unsigned seed = 1; seed <= 20; ++seed) {
    SCOPED_TRACE(seed);
    std::mt19937 random(seed);
    auto below = [&random](std::size_t n) {
      return std::uniform_int_distribution<std::size_t>(0, n)(random);
    };
    std::vector<std::string> chars;
    Cp1252Mirror mirror;
    // A start from code page text, as the view is filled.
    const std::string start = "<p>caf\xE9 \x80 &#322;</p>\r\n";
    mirror.assign(start);
    for (char c : start) chars.push_back(cp1252ToUtf8(std::string(1, c)));
    expectMatchesWholeConversion(mirror, chars);

    for (int edit = 0; edit < 150; ++edit) {
      std::size_t from = below(chars.size());
      std::size_t to = from + below(std::min<std::size_t>(chars.size() - from, 6));
      // Mostly typing, sometimes a paste or a deletion of a stretch.
      std::vector<std::string> inserted;
      const std::size_t count = below(3) == 0 ? below(12) : 1;
      for (std::size_t i = 0; i < count; ++i)
        inserted.push_back(kAlphabet[below(kAlphabet.size() - 1)]);
      if (below(4) == 0) inserted.clear();
      mirror.replace(from, to, utf8Of(inserted, 0, inserted.size()));
      chars.erase(chars.begin() + static_cast<std::ptrdiff_t>(from),
                  chars.begin() + static_cast<std::ptrdiff_t>(to));
      chars.insert(chars.begin() + static_cast<std::ptrdiff_t>(from), inserted.begin(),
                   inserted.end());
      expectMatchesWholeConversion(mirror, chars);
      if (HasFatalFailure()) return;
    }
  }
}

TEST(Cp1252MirrorTest, EditsBeyondTheEndAndReversedRangesAreClamped) {
  struct Case {
    std::size_t from, to;
    const char* inserted;
    const char* expected;
  };
  const Case cases[] = {
      {10, 20, "!", "ab\xC5\x82!"},
      {3, 1, "", "ab\xC5\x82"},  // an empty range where it starts
      {1, 3, "\xE2\x82\xAC", "a\xE2\x82\xAC"},
      {0, 99, "", ""},
  };
  for (const Case& c : cases) {
    Cp1252Mirror mirror;
    mirror.replace(0, 0, "ab\xC5\x82");
    mirror.replace(c.from, c.to, c.inserted);
    EXPECT_EQ(mirror.text(), utf8ToCp1252(c.expected)) << c.from << "-" << c.to;
  }
}

// A long text typed at many places, as the view is edited: the gap moves
// and grows without losing a byte.
TEST(Cp1252MirrorTest, LargeTextSurvivesScatteredEdits) {
  std::string text(200000, 'x');
  for (std::size_t i = 0; i < text.size(); i += 7) text[i] = static_cast<char>('a' + i % 26);
  Cp1252Mirror mirror;
  mirror.assign(text);
  std::mt19937 random(7);
  for (int i = 0; i < 300; ++i) {
    const std::size_t at = std::uniform_int_distribution<std::size_t>(0, text.size())(random);
    const std::string piece(static_cast<std::size_t>(i % 5000), static_cast<char>('A' + i % 26));
    mirror.replace(at, at + 1, piece);
    text.replace(std::min(at, text.size()), 1, piece);
  }
  EXPECT_EQ(mirror.text(), text);
}

}  // namespace
}  // namespace pellora::content
