// Hexadecimal digits as the URL escapes, settings files, ports and class ids
// write them. Header-only and free of I/O, so every layer and the bundled
// server can share it.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace pellora::content {

// The value of one hexadecimal digit (either case), or -1 for any other
// character.
constexpr int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The byte a "%XX" escape at `at` stands for; nothing when `text` holds no
// complete escape there.
constexpr std::optional<char> percentEscapeAt(std::string_view text, std::size_t at) {
  if (at + 2 >= text.size() || text[at] != '%') return std::nullopt;
  const int high = hexDigitValue(text[at + 1]);
  const int low = hexDigitValue(text[at + 2]);
  if (high < 0 || low < 0) return std::nullopt;
  return static_cast<char>(high * 16 + low);
}

}  // namespace pellora::content
