// Covered by tests/content/body_scan_test.cpp (against the pattern matcher).
#include "content/body_scan.h"

#include "content/folded_search.h"

namespace pellora::content {

std::optional<std::string_view> FindBodyContent(std::string_view html) {
  constexpr std::size_t npos = std::string_view::npos;
  // The matcher sees a document up to its first NUL only.
  const std::string_view text = html.substr(0, html.find('\0'));
  // Only the first opening tag counts: a later one would need a ">" and a
  // closing tag after its own, and those would already have served it.
  const std::size_t open = FindFolded(text, "<body");
  if (open == npos) return std::nullopt;
  const std::size_t tagEnd = text.find('>', open + 5);
  if (tagEnd == npos) return std::nullopt;
  const std::size_t close = FindFolded(text, "</body>", tagEnd + 1);
  if (close == npos) return std::nullopt;
  return text.substr(tagEnd + 1, close - tagEnd - 1);
}

}  // namespace pellora::content
