// The body of a form post. The field lines are already encoded by the
// caller; this only joins them the way the server script expects.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pellora::exchange {

// Each line followed by CR LF; with two or more lines every CR LF becomes
// "&" (so the body ends with "&"); then bytes at or below the blank are
// trimmed from both ends. A CR LF inside a field value turns into "&" too.
std::string formPostBody(const std::vector<std::string>& fields);

// A field line given in parts: `head` as it is, then `value`, encoded with
// UrlEncode when `encode` is set (as in "htmlsource=" + UrlEncode(body)).
struct FormLine {
  std::string_view head;
  std::string_view value;
  bool encode = false;
};
// The same body as formPostBody of the joined lines, built in one pass into
// a buffer sized once: a large value is never copied whole on the way.
std::string formPostBody(std::span<const FormLine> lines);

// Field lines as they stand (already encoded by the caller), as form lines
// that refer to them.
std::vector<FormLine> formLinesOf(const std::vector<std::string>& fields);

// The content type a form post goes out with: an empty or "text/html" type
// becomes the form type, any other is kept.
std::string formPostContentType(const std::string& current);

}  // namespace pellora::exchange
