// The one-pass scans for the body and the image addresses against the
// pattern matcher running the patterns they stand in for: any difference in
// what is found, where, aborts. The first line is the base address, the
// rest the document.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "content/body_scan.h"
#include "content/pattern_matcher.h"
#include "images/image_patterns.h"
#include "images/image_scan.h"

using namespace pellora;

namespace {

using Finds = std::vector<std::pair<std::size_t, std::string>>;

void check(bool condition) {
  if (!condition) std::abort();
}

Finds matcherFinds(std::string pattern, int group, std::string_view text) {
  content::PatternMatcher matcher;
  matcher.setCaseInsensitive(true);
  matcher.setGreedy(false);
  matcher.setPattern(std::move(pattern));
  Finds finds;
  for (bool hit = matcher.Exec(text); hit; hit = matcher.ExecNext()) {
    finds.emplace_back(matcher.matchPos(group) - 1, matcher.match(group));
  }
  return finds;
}

Finds scanFinds(const std::vector<images::ImageAddress>& addresses) {
  Finds finds;
  for (const auto& a : addresses) finds.emplace_back(a.position, a.text);
  return finds;
}

std::string literal(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (std::string_view("\\.[]()|?*+^${}").find(c) != std::string_view::npos) out += '\\';
    out += c;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto newline = input.find('\n');
  const std::string contents = images::ContentsUrl(input.substr(0, newline));
  const std::string_view text =
      newline == std::string_view::npos ? std::string_view{} : input.substr(newline + 1);

  const Finds body = matcherFinds("<body.*>(.*)</body>", 1, text);
  const auto found = content::FindBodyContent(text);
  check(found.has_value() == !body.empty());
  if (found) check(body.front() == Finds::value_type(found->data() - text.data(), *found));

  check(scanFinds(images::ScanServerImages(text, contents)) ==
        matcherFinds("<img[^>]+src=\"(" + literal(contents) + "([^/]+))\"", 2, text));

  Finds local = matcherFinds(R"re(<img[^>]+src="(file://)?([A-Z]:\\.+([^\\]+))")re", 2, text);
  const Finds posix = matcherFinds(R"re(<img[^>]+src="file://(/[^"]*[^/"])")re", 1, text);
  local.insert(local.end(), posix.begin(), posix.end());
  std::stable_sort(local.begin(), local.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  check(scanFinds(images::ScanLocalImages(text)) == local);
  return 0;
}
