#include "content/cp1252.h"

#include <gtest/gtest.h>

#include <string>

namespace pellora::content {
namespace {

TEST(Cp1252Test, EveryByteRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all)), all);
  EXPECT_EQ(utf16ToCp1252(cp1252ToUtf16(all)), all);
  // Distinct bytes stand for distinct characters.
  const std::u16string wide = cp1252ToUtf16(all);
  EXPECT_EQ(std::u16string(wide).size(), 256u);
  for (int a = 0; a < 256; ++a) {
    for (int b = a + 1; b < 256; ++b) ASSERT_NE(wide[a], wide[b]) << a << " " << b;
  }
}

TEST(Cp1252Test, KnownCharacters) {
  struct Row {
    std::string cp1252;
    std::string utf8;
  };
  const Row rows[] = {
      {"abc", "abc"},
      {"\x80", "\u20AC"},  // euro sign
      {"\x8A\x9A\x9F", "\u0160\u0161\u0178"},
      {"\x93q\x94", "\u201Cq\u201D"},
      {"\xE4\xFC\xDF", "\u00E4\u00FC\u00DF"},
      {"\x81\x8D\x8F\x90\x9D", "\u0081\u008D\u008F\u0090\u009D"},
      {std::string("\0", 1), std::string("\0", 1)},
      // ASCII runs longer than a machine word, on both sides of others.
      {"<p>seventeen bytes\xE4<b>and nine</b>\x80",
       "<p>seventeen bytes\u00E4<b>and nine</b>\u20AC"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(cp1252ToUtf8(row.cp1252), row.utf8);
    EXPECT_EQ(utf8ToCp1252(row.utf8), row.cp1252);
  }
}

TEST(Cp1252Test, CharactersOutsideBecomeReferences) {
  const std::pair<std::string, std::string> rows[] = {
      {"\u0142", "&#322;"},         // l with stroke
      {"a\u4E2Db", "a&#20013;b"},   // CJK
      {"\U0001F600", "&#128512;"},  // beyond the BMP
      {"\u0080", "&#128;"},         // C1 control that is not an undefined byte
  };
  for (const auto& [utf8, expected] : rows) {
    EXPECT_EQ(utf8ToCp1252(utf8), expected);
  }
  EXPECT_EQ(utf16ToCp1252(u"\u0142"), "&#322;");
  EXPECT_EQ(utf16ToCp1252(u"\U0001F600"), "&#128512;");
}

TEST(Cp1252Test, MalformedInputBecomesReplacementReferences) {
  const std::pair<std::string, std::string> rows[] = {
      {"a\xFF"
       "b",
       "a&#65533;b"},                                            // invalid lead byte
      {"\xC3", "&#65533;"},                                      // truncated sequence
      {"\xC3(", "&#65533;("},                                    // missing continuation
      {"\xC0\xAF", "&#65533;&#65533;"},                          // overlong form
      {"\xED\xA0\x80", "&#65533;&#65533;&#65533;"},              // surrogate
      {"\xF4\x90\x80\x80", "&#65533;&#65533;&#65533;&#65533;"},  // beyond U+10FFFF
      {"\x80", "&#65533;"},                                      // lone continuation
  };
  for (const auto& [utf8, expected] : rows) EXPECT_EQ(utf8ToCp1252(utf8), expected);
  EXPECT_EQ(utf16ToCp1252(std::u16string(1, u'\xD800') + u"x"), "&#65533;x");
  EXPECT_EQ(utf16ToCp1252(std::u16string(1, u'\xDC00')), "&#65533;");
}

}  // namespace
}  // namespace pellora::content
