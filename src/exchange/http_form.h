// The body of a form post. The field lines are already encoded by the
// caller; this only joins them the way the server script expects.
#pragma once

#include <string>
#include <vector>

namespace pellora::exchange {

// Each line followed by CR LF; with two or more lines every CR LF becomes
// "&" (so the body ends with "&"); then bytes at or below the blank are
// trimmed from both ends. A CR LF inside a field value turns into "&" too.
std::string formPostBody(const std::vector<std::string>& fields);

// The content type a form post goes out with: an empty or "text/html" type
// becomes the form type, any other is kept.
std::string formPostContentType(const std::string& current);

}  // namespace pellora::exchange
