// The body fragment the server stores, cut from the whole document the
// visual view holds: what lies between the first opening body tag and the
// first closing one after it (any letter case), with the upper-case tags of
// the visual view rewritten to the forms of the server content, trimmed.
// Text without a complete body element is kept whole (still rewritten and
// trimmed). All text is 8-bit Windows-1252; nothing here fails.
#pragma once

#include <string>
#include <string_view>

namespace pellora::content {

std::string ExtractBody(std::string_view html);

// What ExtractBody makes of the body text it has found: TrimControl of
// NormalizeTags, without the copy in between.
std::string NormalizeBody(std::string_view body);

// The fixed rewriting ExtractBody applies, case-sensitive, in this order:
// <EM> -> <I>, </EM> -> </I>, <STRONG> -> <B>, </STRONG> -> </B>, </LI>
// removed, and the attribute text ` dir=ltr style="MARGIN-RIGHT: 0px"`
// removed.
std::string NormalizeTags(std::string_view text);

// Removes every byte of value 0x20 or less from both ends.
std::string TrimControl(std::string_view text);

}  // namespace pellora::content
