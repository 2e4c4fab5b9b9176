// Covered by tests/content/server_response_test.cpp.
#include "content/server_response.h"

#include "content/pattern_matcher.h"
#include "content/wrap_lines.h"

namespace pellora::content {

std::string FormatServerResponse(std::string_view answer) {
  PatternMatcher tags;
  tags.setCaseInsensitive(true);
  tags.setGreedy(false);
  tags.setPattern("<.?(b|br)>");
  return WrapLines(tags.Replace(answer, ""));
}

}  // namespace pellora::content
