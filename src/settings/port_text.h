// The proxy port field is free text; this is how it becomes a number.
#pragma once

#include <cstdint>
#include <string_view>

namespace pellora {

// Leading blanks, an optional sign, then decimal digits or a "$", "x" or
// "0x" prefix (either case) with hexadecimal digits, and nothing after. Text
// that does not convert, or whose value does not fit a signed 32-bit number,
// gives 0.
std::int32_t portFromText(std::string_view text);

}  // namespace pellora
