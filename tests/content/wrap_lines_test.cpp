#include "content/wrap_lines.h"

#include <gtest/gtest.h>

#include <string>

#include "content/server_response.h"

namespace pellora::content {
namespace {

// n words "wordN" (each padded to 9 bytes) separated by blanks.
std::string words(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    if (i) text += ' ';
    std::string word = "word" + std::to_string(i);
    word.resize(9, 'x');
    text += word;
  }
  return text;
}

TEST(WrapLinesTest, Cases) {
  const std::string a79(79, 'a');
  struct Row {
    const char* what;
    std::string text;
    std::string expected;
  };
  const Row rows[] = {
      {"short text unchanged", "short text", "short text"},
      {"empty", "", ""},
      // 10 words of 9 bytes + 9 blanks = 99 bytes; the 9th blank ends at 80.
      {"cut after the last blank within 80 columns", words(10),
       words(8) + " \r\n" + words(10).substr(80)},
      {"no break character: never cut", std::string(120, 'z'), std::string(120, 'z')},
      {"hyphen is a break character", a79 + "-bbbbb", a79 + "-\r\nbbbbb"},
      {"tab is a break character", a79 + "\tbbbbb", a79 + "\t\r\nbbbbb"},
      {"blanks after the cut begin the next line", a79 + "   bbb", a79 + " \r\n  bbb"},
      {"existing CR LF ends a line without another CR LF", "ab\r\ncd", "ab\r\ncd"},
      {"lone CR is no break", "ab\rcd", "ab\rcd"},
      {"quoted stretch is never cut", "\"" + words(10) + "\" x", "\"" + words(10) + "\" x"},
      {"single quotes too", "'" + words(10) + "'", "'" + words(10) + "'"},
      // The rule adds no CR LF when exactly one byte is left after the cut.
      {"one byte left after the cut", a79 + " b", a79 + " b"},
      {"two bytes left after the cut", a79 + " bc", a79 + " \r\nbc"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(WrapLines(row.text), row.expected);
  }
}

TEST(WrapLinesTest, LongTextBecomesLinesOfAtMost80) {
  const std::string text = words(100);
  const std::string wrapped = WrapLines(text);
  std::size_t start = 0;
  int lines = 0;
  for (std::size_t end = wrapped.find("\r\n"); end != std::string::npos;
       start = end + 2, end = wrapped.find("\r\n", start)) {
    EXPECT_LE(end - start, 80u);
    EXPECT_EQ(wrapped[end - 1], ' ');
    ++lines;
  }
  EXPECT_GE(lines, 11);
  std::string joined = wrapped;
  for (auto at = joined.find("\r\n"); at != std::string::npos; at = joined.find("\r\n", at)) {
    joined.erase(at, 2);
  }
  EXPECT_EQ(joined, text);
}

TEST(FormatServerResponseTest, Cases) {
  struct Row {
    std::string answer;
    std::string expected;
  };
  const Row rows[] = {
      {"Error:<br>Access <B>denied</B>", "Error:Access denied"},
      {"a</br>b<BR>c<xb>d", "abcd"},
      {"<br/><br /><b class=x><p><hr>", "<br/><br /><b class=x><p><hr>"},
      {"<\nb>x", "x"},
      {"<<b>>", ">"},  // "<", any byte ("<"), "b", ">"
      {"<</b>", "<"},
      {words(10), words(8) + " \r\n" + words(10).substr(80)},
      {std::string(100, 'q'), std::string(100, 'q')},
  };
  for (const auto& row : rows) EXPECT_EQ(FormatServerResponse(row.answer), row.expected);
  EXPECT_EQ(kServerResponsePrefix, "Server Response:        \r\n");
}

}  // namespace
}  // namespace pellora::content
