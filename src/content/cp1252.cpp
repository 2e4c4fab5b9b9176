// Covered by tests/content/cp1252_test.cpp.
#include "content/cp1252.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace pellora::content {

namespace {

// Code points of the bytes 0x80-0x9F; undefined bytes keep their value.
constexpr std::array<char16_t, 32> kHighBlock = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

std::optional<unsigned char> codePointToCp1252(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
  for (std::size_t i = 0; i < kHighBlock.size(); ++i) {
    if (kHighBlock[i] == cp) return static_cast<unsigned char>(0x80 + i);
  }
  return std::nullopt;
}

namespace {

// Appends the byte for `cp`, or its numeric character reference.
void appendCodePoint(std::string& out, char32_t cp) {
  if (const auto byte = codePointToCp1252(cp)) {
    out += static_cast<char>(*byte);
    return;
  }
  out += "&#";
  out += std::to_string(static_cast<unsigned long>(cp));
  out += ';';
}

// Decodes one UTF-8 sequence at `pos`, advancing it; a malformed sequence
// (bad lead, missing continuation, overlong form, surrogate, beyond U+10FFFF)
// yields U+FFFD and consumes one byte.
char32_t decodeUtf8(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  int length = 0;
  char32_t cp = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    cp = lead & 0x1F;
    minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    cp = lead & 0x0F;
    minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    cp = lead & 0x07;
    minimum = 0x10000;
  } else {
    ++pos;
    return kReplacement;
  }
  if (pos + static_cast<std::size_t>(length) > text.size()) {
    ++pos;
    return kReplacement;
  }
  for (int i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + static_cast<std::size_t>(i)]);
    if ((next & 0xC0) != 0x80) {
      ++pos;
      return kReplacement;
    }
    cp = (cp << 6) | (next & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++pos;
    return kReplacement;
  }
  pos += static_cast<std::size_t>(length);
  return cp;
}

// The length of the leading run of ASCII bytes, eight at a time.
std::size_t asciiRun(std::string_view text) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080u;
  std::size_t n = 0;
  for (; n + 8 <= text.size(); n += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + n, sizeof word);
    if (word & kHighBits) break;
  }
  while (n < text.size() && static_cast<unsigned char>(text[n]) < 0x80) ++n;
  return n;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

char32_t cp1252ToCodePoint(unsigned char byte) {
  return byte >= 0x80 && byte <= 0x9F ? kHighBlock[byte - 0x80] : byte;
}

std::string utf8ToCp1252(std::string_view utf8) {
  std::string result;
  result.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    // Markup is mostly ASCII, which both encodings spell alike: whole runs
    // are copied at once.
    const std::size_t run = asciiRun(utf8.substr(pos));
    result.append(utf8.data() + pos, run);
    pos += run;
    if (pos < utf8.size()) appendCodePoint(result, decodeUtf8(utf8, pos));
  }
  return result;
}

std::size_t appendUtf8CharAsCp1252(std::string& out, std::string_view utf8, std::size_t& pos) {
  const std::size_t before = out.size();
  appendCodePoint(out, decodeUtf8(utf8, pos));
  return out.size() - before;
}

std::string cp1252ToUtf8(std::string_view cp1252) {
  std::string result;
  result.reserve(cp1252.size());
  // Every code point of the table lies below U+10000: at most three bytes.
  for (char c : cp1252) appendUtf8(result, cp1252ToCodePoint(static_cast<unsigned char>(c)));
  return result;
}

std::string utf16ToCp1252(std::u16string_view utf16) {
  std::string result;
  result.reserve(utf16.size());
  for (std::size_t pos = 0; pos < utf16.size(); ++pos) {
    char32_t cp = utf16[pos];
    if (cp >= 0xD800 && cp <= 0xDBFF && pos + 1 < utf16.size() && utf16[pos + 1] >= 0xDC00 &&
        utf16[pos + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[pos + 1] - 0xDC00);
      ++pos;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    appendCodePoint(result, cp);
  }
  return result;
}

std::u16string cp1252ToUtf16(std::string_view cp1252) {
  std::u16string result;
  result.reserve(cp1252.size());
  for (char c : cp1252) {
    result += static_cast<char16_t>(cp1252ToCodePoint(static_cast<unsigned char>(c)));
  }
  return result;
}

}  // namespace pellora::content
