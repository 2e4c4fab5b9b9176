// Covered by tests/content/extract_body_test.cpp and tests/content/body_scan_test.cpp.
#include "content/extract_body.h"

#include <algorithm>
#include <array>
#include <functional>
#include <utility>

#include "content/body_scan.h"

namespace pellora::content {

namespace {

constexpr std::size_t npos = std::string_view::npos;

// The tag rewrites. Each tag holds a "<" only first and a ">" only last, so
// no two occurrences overlap, no output or joint of one rewrite forms
// another tag, and a single pass over the "<" bytes gives what one pass per
// tag in the documented order gives.
std::string rewriteTags(std::string_view text) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kTags{{
      {"<EM>", "<I>"},
      {"</EM>", "</I>"},
      {"<STRONG>", "<B>"},
      {"</STRONG>", "</B>"},
      {"</LI>", ""},
  }};
  std::string result;
  result.reserve(text.size());
  std::size_t copied = 0;
  for (std::size_t at = text.find('<'); at != npos; at = text.find('<', at)) {
    const std::string_view rest = text.substr(at);
    const auto tag = std::find_if(kTags.begin(), kTags.end(), [rest](const auto& rewrite) {
      return rest.starts_with(rewrite.first);
    });
    if (tag == kTags.end()) {
      ++at;
      continue;
    }
    result.append(text.substr(copied, at - copied));
    result.append(tag->second);
    at += tag->first.size();
    copied = at;
  }
  result.append(text.substr(copied));
  return result;
}

// Removes the attribute text of the last rewrite in place. It holds no "<"
// or ">", so it can only meet the tags' output where a removed "</LI>" has
// joined its two halves, which a pass after the tags' pass sees as the
// documented order does.
void removeDirectionAttributes(std::string& text) {
  static constexpr std::string_view kAttributes = " dir=ltr style=\"MARGIN-RIGHT: 0px\"";
  static const std::boyer_moore_horspool_searcher kSearcher(kAttributes.begin(), kAttributes.end());
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* read = std::search(begin, end, kSearcher);
  if (read == end) return;
  char* write = text.data() + (read - begin);
  while (read != end) {
    read += kAttributes.size();
    const char* const next = std::search(read, end, kSearcher);
    write = std::copy(read, next, write);
    read = next;
  }
  text.resize(static_cast<std::size_t>(write - begin));
}

bool isControl(char c) { return static_cast<unsigned char>(c) <= 0x20; }

}  // namespace

std::string ExtractBody(std::string_view html) {
  // Text without a complete body element is kept whole, NUL and all.
  return NormalizeBody(FindBodyContent(html).value_or(html));
}

std::string NormalizeBody(std::string_view body) {
  std::string text = NormalizeTags(body);
  const auto last = std::find_if_not(text.rbegin(), text.rend(), isControl);
  text.erase(last.base(), text.end());
  text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), isControl));
  return text;
}

std::string NormalizeTags(std::string_view text) {
  std::string result = rewriteTags(text);
  removeDirectionAttributes(result);
  return result;
}

std::string TrimControl(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && isControl(text[begin])) ++begin;
  while (end > begin && isControl(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}

}  // namespace pellora::content
