// Tokens as the source merge keeps them: byte ranges of a body with what the
// merge needs of each, and, on request, a key that is equal for two tokens
// the HTML parser reads alike however they are spelled (letter case,
// quoting, character references, line ends, duplicate attributes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "content/html_tokens.h"

namespace pellora::content {

struct MergeToken {
  std::size_t begin = 0;
  std::size_t end = 0;
  HtmlTokenKind kind = HtmlTokenKind::Text;
  // +1 for a start tag whose element holds content, -1 for an end tag.
  std::int8_t depthStep = 0;
  // Ends at a delimiter of its own, whatever follows it: a scan may start
  // again right after it and read the same tokens.
  bool closed = false;
  // Adds nothing to the document when the other side has no counterpart:
  // end tags, doctypes, and elements the parser implies (tbody, tr, ...).
  bool contentless = false;
  std::uint64_t key = 0;  // only with MergeKeys::Canonical
};

enum class MergeKeys { None, Canonical };

// The tokens of `html`, adjacent runs of text joined into one, positions
// offset by `base`.
std::vector<MergeToken> ScanMergeTokens(std::string_view html, std::size_t base, MergeKeys keys);

}  // namespace pellora::content
