// Words and characters of a text, counted as a word processor's status line
// does: a word is a run of characters other than white space; characters
// are Unicode characters, white space included. Kept up to date edit by
// edit: what an insertion or deletion changes depends only on its own text
// and the characters on either side of it.
// Covered by tests/content/word_count_test.cpp.
#pragma once

#include <string_view>

namespace pellora::content {

struct TextCounts {
  long words = 0;
  long chars = 0;
};

// The counts of UTF-8 text.
TextCounts countText(std::string_view utf8);

// How many words the text gains when `inserted` (UTF-8) goes between the
// characters `before` and `after` (0 where there is none: the text's edge).
// A deletion loses as many as inserting the deleted text would gain.
long wordsGained(char32_t before, std::string_view inserted, char32_t after);

}  // namespace pellora::content
