// Covered by tests/content/extract_body_test.cpp.
#include "content/extract_body.h"

#include <array>
#include <utility>

#include "content/pattern_matcher.h"

namespace pellora::content {

namespace {

std::string replaceAll(std::string_view text, std::string_view find, std::string_view by) {
  std::string result;
  result.reserve(text.size());
  std::size_t copied = 0;
  for (std::size_t hit = text.find(find); hit != std::string_view::npos;
       hit = text.find(find, hit + find.size())) {
    result.append(text, copied, hit - copied);
    result.append(by);
    copied = hit + find.size();
  }
  result.append(text, copied);
  return result;
}

}  // namespace

std::string ExtractBody(std::string_view html) {
  PatternMatcher body;
  body.setCaseInsensitive(true);
  body.setGreedy(false);
  body.setPattern("<body.*>(.*)</body>");
  // One replacement is all there can be: group 1 stops before the first
  // closing tag, so searching the extracted text again could never match.
  std::string text = body.Exec(html) ? body.match(1) : std::string(html);
  return TrimControl(NormalizeTags(text));
}

std::string NormalizeTags(std::string_view text) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 6> kRewrites{{
      {"<EM>", "<I>"},
      {"</EM>", "</I>"},
      {"<STRONG>", "<B>"},
      {"</STRONG>", "</B>"},
      {"</LI>", ""},
      {" dir=ltr style=\"MARGIN-RIGHT: 0px\"", ""},
  }};
  std::string result(text);
  for (const auto& [find, by] : kRewrites) result = replaceAll(result, find, by);
  return result;
}

std::string TrimControl(std::string_view text) {
  auto isControl = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && isControl(text[begin])) ++begin;
  while (end > begin && isControl(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}

}  // namespace pellora::content
