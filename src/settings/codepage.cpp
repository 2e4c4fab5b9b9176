#include "settings/codepage.h"

#include "content/cp1252.h"

namespace pellora::settings {

char32_t cp1252ToUnicode(unsigned char byte) { return content::cp1252ToCodePoint(byte); }

std::optional<unsigned char> unicodeToCp1252(char32_t code) {
  return content::codePointToCp1252(code);
}

std::string cp1252ToUtf8(std::string_view text) { return content::cp1252ToUtf8(text); }

std::optional<char32_t> decodeUtf8(std::string_view text, std::size_t& pos) {
  if (pos >= text.size()) return std::nullopt;
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  int length;
  char32_t code;
  char32_t minimum;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, code = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, code = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, code = lead & 0x07, minimum = 0x10000;
  } else {
    return std::nullopt;
  }
  if (text.size() - pos < static_cast<std::size_t>(length)) return std::nullopt;
  for (int i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    code = (code << 6) | (next & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
  pos += length;
  return code;
}

bool isValidUtf8(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (!decodeUtf8(text, pos)) return false;
  }
  return true;
}

unsigned char foldCp1252(unsigned char byte) {
  if (byte >= 'a' && byte <= 'z') return byte - 0x20;
  if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7) return byte - 0x20;
  switch (byte) {
    case 0x9A:  // š
    case 0x9C:  // œ
    case 0x9E:  // ž
      return byte - 0x10;
    case 0xFF:  // ÿ
      return 0x9F;
    default:
      return byte;
  }
}

std::string foldCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(foldCp1252(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace pellora::settings
