// Where the body content lies in a whole document, found in one pass: the
// text after the first opening body tag ("<body" in any letter case, up to
// the first ">" after it) and before the first "</body>" (any case) after
// that, within the document up to its first NUL. This is group 1 of the
// pattern "<body.*>(.*)</body>" run lazily and without case by the pattern
// matcher, which stays the reference for it.
#pragma once

#include <optional>
#include <string_view>

namespace pellora::content {

// A view into `html`; nothing when it holds no complete body element.
std::optional<std::string_view> FindBodyContent(std::string_view html);

}  // namespace pellora::content
