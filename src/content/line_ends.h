// Line ends as the server stores them.
#pragma once

#include <string>
#include <string_view>

namespace pellora::content {

// Every CR LF pair made a single LF; a lone CR stays.
std::string ReduceCrLf(std::string_view text);
// The same without a copy, for bodies too large to hold twice.
void ReduceCrLfInPlace(std::string& text);

}  // namespace pellora::content
