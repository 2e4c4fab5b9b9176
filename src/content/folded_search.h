// Finding fixed markup such as "<body" or "src=\"" in large texts, with
// ASCII letters compared without case. For needles of ASCII bytes this is
// exactly what the case-insensitive pattern matcher accepts for them: no
// other Windows-1252 byte has an ASCII letter as its case partner.
#pragma once

#include <cstddef>
#include <string_view>

namespace pellora::content {

// Whether `text` holds `needle` at `at`. The needle is spelt in lower case;
// its letters also match their upper-case forms.
bool HasFoldedAt(std::string_view text, std::size_t at, std::string_view needle);

// The first position at or after `from` where HasFoldedAt holds; npos when
// there is none. An empty needle is found at `from` (if within the text).
std::size_t FindFolded(std::string_view text, std::string_view needle, std::size_t from = 0);

}  // namespace pellora::content
