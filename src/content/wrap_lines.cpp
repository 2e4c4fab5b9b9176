// Covered by tests/content/wrap_lines_test.cpp. Windows-1252 has no
// double-byte lead bytes, so every byte is one column.
#include "content/wrap_lines.h"

namespace pellora::content {

namespace {

constexpr std::size_t kWidth = 80;

bool isBreakChar(char c) { return c == ' ' || c == '-' || c == '\t'; }
bool isQuoteChar(char c) { return c == '"' || c == '\''; }

}  // namespace

std::string WrapLines(std::string_view text) {
  // 1-based positions as in the description of the rule: byte(i) is the
  // i-th byte, and a line is appended as the bytes lineStart..breakPos.
  const std::size_t length = text.size();
  auto byte = [&](std::size_t i) { return text[i - 1]; };
  auto appendRange = [&](std::string& out, std::size_t from, std::size_t to) {
    if (to >= from) out.append(text, from - 1, to - from + 1);
  };

  std::string result;
  std::size_t col = 1;
  std::size_t pos = 1;
  std::size_t lineStart = 1;
  std::size_t breakPos = 0;
  char quote = 0;
  bool hardBreak = false;

  while (pos <= length) {
    const char c = byte(pos);
    if (c == '\r') {
      if (quote == 0 && pos + 1 <= length && byte(pos + 1) == '\n') {
        hardBreak = true;
        ++pos;
        breakPos = pos;
      }
    } else if (isBreakChar(c)) {
      if (quote == 0) breakPos = pos;
    } else if (isQuoteChar(c)) {
      if (quote == c) {
        quote = 0;
      } else if (quote == 0) {
        quote = c;
      }
    }
    ++pos;
    ++col;
    if (quote == 0 && (hardBreak || (col > kWidth && breakPos > lineStart))) {
      col = pos - breakPos;
      appendRange(result, lineStart, breakPos);
      if (!isQuoteChar(c)) {
        while (pos <= length &&
               (isBreakChar(byte(pos)) || byte(pos) == '\r' || byte(pos) == '\n')) {
          ++pos;
        }
      }
      if (!hardBreak && pos < length) result += "\r\n";
      lineStart = breakPos + 1;
      hardBreak = false;
    }
  }
  appendRange(result, lineStart, length);
  return result;
}

}  // namespace pellora::content
