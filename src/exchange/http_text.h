// Small text helpers of the HTTP client: header names and values compare
// ignoring ASCII case. (Values are trimmed with content::TrimControl.)
#pragma once

#include <string>
#include <string_view>

namespace pellora::exchange {

char asciiLower(char c);
std::string asciiLower(std::string_view text);
bool equalsIgnoringCase(std::string_view a, std::string_view b);
bool containsIgnoringCase(std::string_view text, std::string_view part);
// Removes bytes 0x00..0x20 from both ends.

}  // namespace pellora::exchange
