// Windows-1252 <-> Unicode for the settings files. Values live in memory as
// Windows-1252 bytes and on disk as UTF-8 (or UTF-16LE inside hex(1)/hex(2)
// data). The five bytes that Windows-1252 leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the C1 controls of the same number, so every byte
// survives a round trip through a file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pellora::settings {

char32_t cp1252ToUnicode(unsigned char byte);
// nullopt for a character Windows-1252 cannot hold.
std::optional<unsigned char> unicodeToCp1252(char32_t code);

// Windows-1252 text to UTF-8.
std::string cp1252ToUtf8(std::string_view text);

// Decodes one UTF-8 sequence at `pos`, advancing it. nullopt (and `pos`
// unchanged) for a malformed, overlong or surrogate sequence.
std::optional<char32_t> decodeUtf8(std::string_view text, std::size_t& pos);
bool isValidUtf8(std::string_view text);

// Case folding for key paths and value names, which compare like Windows
// compares them: letters of either case are the same.
unsigned char foldCp1252(unsigned char byte);
std::string foldCase(std::string_view text);

}  // namespace pellora::settings
