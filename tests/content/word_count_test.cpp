// Counts kept edit by edit agree with counting the whole text again, for
// every insertion and deletion in texts of words, spaces of several kinds
// and multi-byte characters.
#include "content/word_count.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pellora::content {
namespace {

// The characters of UTF-8 text, each as its bytes.
std::vector<std::string> characters(const std::string& text) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    out.push_back(text.substr(i, length));
    i += length;
  }
  return out;
}

// The code point of one character's bytes; 0 for none.
char32_t codePoint(const std::string& bytes) {
  if (bytes.empty()) return 0;
  const auto lead = static_cast<unsigned char>(bytes[0]);
  if (bytes.size() == 1) return lead;
  char32_t c = lead & (0x7F >> bytes.size());
  for (std::size_t i = 1; i < bytes.size(); ++i)
    c = (c << 6) | (static_cast<unsigned char>(bytes[i]) & 0x3F);
  return c;
}

std::string join(const std::vector<std::string>& chars, std::size_t from, std::size_t to) {
  std::string out;
  for (std::size_t i = from; i < to; ++i) out += chars[i];
  return out;
}

TEST(WordCountTest, CountsKeptByEditsAgreeWithCountingAgain) {
  struct Row {
    std::string text;
    long words;
  };
  const Row rows[] = {
      {"The quick fox", 3},
      {"  two\tspaced\n\nlines ", 3},
      {"Gr\xC3\xBC\xC3\x9F"
       "e\xC2\xA0"
       "aus\xE3\x80\x80K\xC3\xB6ln",
       3},  // NBSP, ideographic space
      {"a", 1},
      {"x \xF0\x9F\x98\x80 y", 3},  // a character outside the basic plane
  };
  for (const auto& [text, words] : rows) {
    const auto chars = characters(text);
    const TextCounts whole = countText(text);
    EXPECT_EQ(whole.words, words) << text;
    EXPECT_EQ(whole.chars, static_cast<long>(chars.size())) << text;
    // Every piece [from, to) taken out and put back in.
    for (std::size_t from = 0; from <= chars.size(); ++from) {
      for (std::size_t to = from; to <= chars.size(); ++to) {
        const std::string without = join(chars, 0, from) + join(chars, to, chars.size());
        const char32_t before = from > 0 ? codePoint(chars[from - 1]) : 0;
        const char32_t after = to < chars.size() ? codePoint(chars[to]) : 0;
        EXPECT_EQ(countText(without).words + wordsGained(before, join(chars, from, to), after),
                  whole.words)
            << "\"" << text << "\" piece " << from << ".." << to;
      }
    }
  }
}

}  // namespace
}  // namespace pellora::content
