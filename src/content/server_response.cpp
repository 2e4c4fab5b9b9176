// Covered by tests/content/wrap_lines_test.cpp (FormatServerResponseTest).
#include "content/server_response.h"

#include "content/extract_body.h"
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

bool ServerAcknowledged(std::string_view answer) { return TrimControl(answer) == "OK"; }

std::string ServerResponseMessage(std::string_view answer) {
  return std::string(kServerResponsePrefix) + FormatServerResponse(TrimControl(answer));
}

}  // namespace pellora::content
