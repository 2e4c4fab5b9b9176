// The Windows-1252 text layer. Inside the system all text is 8-bit
// Windows-1252; these conversions run at the borders only (UTF-8 for the
// GTK and WebKit widgets, UTF-16 for the automation interface).
//
// Every byte round-trips: the five bytes Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the code points of the same value.
// A character Windows-1252 cannot hold becomes a decimal numeric character
// reference ("&#322;" for U+0142), so nothing typed is lost. Malformed input
// (bad UTF-8 bytes, unpaired UTF-16 surrogates) never fails: each bad byte
// or unit is taken as U+FFFD and so becomes "&#65533;".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pellora::content {

std::string utf8ToCp1252(std::string_view utf8);
// Converts the one UTF-8 character at `pos`, advancing `pos` past it, and
// appends it as utf8ToCp1252 would; returns how many bytes it appended.
std::size_t appendUtf8CharAsCp1252(std::string& out, std::string_view utf8, std::size_t& pos);
std::string cp1252ToUtf8(std::string_view cp1252);

std::string utf16ToCp1252(std::u16string_view utf16);
std::u16string cp1252ToUtf16(std::string_view cp1252);

// The code point a Windows-1252 byte stands for.
char32_t cp1252ToCodePoint(unsigned char byte);
// The byte for a code point; nullopt when Windows-1252 cannot hold it.
std::optional<unsigned char> codePointToCp1252(char32_t cp);

}  // namespace pellora::content
