// The characters a run of 8-bit body text stands for once the HTML parser
// has read it: Windows-1252 bytes become their code points, character
// references (decimal, hexadecimal and the named ones of HTML 4 plus
// "&apos;") are decoded the way the parser decodes them, and CR LF or a lone
// CR becomes LF. An unknown name stays literal. Used to compare text as
// written by an author with the same text as the engine writes it.
#pragma once

#include <string>
#include <string_view>

namespace pellora::content {

enum class ReferenceContext {
  Text,       // a name without ";" is read when it is one the parser allows so
  Attribute,  // ... unless "=" or a letter or digit follows it
};

// Appends the code points `text` stands for to `out`.
void AppendHtmlCodePoints(std::string_view text, ReferenceContext context, std::u32string& out);

// The code point of the named reference `name` (without "&" and ";"), or 0.
char32_t NamedReferenceCodePoint(std::string_view name);

}  // namespace pellora::content
