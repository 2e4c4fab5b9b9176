// The image scans against the pattern matcher running the patterns they
// stand in for, on generated markup.
#include "images/image_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "content/pattern_matcher.h"

namespace pellora::images {
namespace {

using namespace std::string_literals;
using Finds = std::vector<std::pair<std::size_t, std::string>>;

const std::string kContents = "http://h/\xC9/contents/";

// Long enough to matter, short enough for the matcher to compare with.
const std::string kLongRun(3000, 'a');

// Bits that make and break IMG tags, their values and both path forms, and
// whole ones; a text is up to 40 of them, now and then thousands, its ASCII
// letters flipped in case at random.
std::string generate(std::mt19937& rng) {
  static const std::vector<std::string> kBits = {
      "<img",      " ",   "src=\"",  "src='", "src=", "\"",   "'",     ">",       "<",
      "/",         "\\",  "file://", "C:\\",  "c:",   "x",    "a.png", kContents, "http://h/\xE9/",
      "contents/", "<p>", "\0"s,     "//",    "\\\"", "\r\n", kLongRun};
  static const std::vector<std::string> kWholes = {
      "<img src=\"",    "<img alt=\"<img\" src=\"", kContents + "a.png\">",
      "C:\\x\\a.png\"", "file://c:\\y\\b b.png\"",  "file:///home/a.png\">"};
  std::string text;
  for (unsigned n = rng() % 100 == 0 ? 3000 : rng() % 40; n > 0; --n) {
    const auto& pieces = rng() % 4 == 0 ? kWholes : kBits;
    text += pieces[rng() % pieces.size()];
  }
  for (char& c : text) {
    if (((c | 0x20) >= 'a' && (c | 0x20) <= 'z') && rng() % 8 == 0) c ^= 0x20;
  }
  return text;
}

Finds matcherFinds(const std::string& pattern, int group, const std::string& text) {
  content::PatternMatcher matcher;
  matcher.setCaseInsensitive(true);
  matcher.setGreedy(false);
  matcher.setPattern(pattern);
  Finds finds;
  for (bool hit = matcher.Exec(text); hit; hit = matcher.ExecNext()) {
    finds.emplace_back(matcher.matchPos(group) - 1, matcher.match(group));
  }
  return finds;
}

Finds scanFinds(const std::vector<ImageAddress>& addresses) {
  Finds finds;
  for (const ImageAddress& a : addresses) finds.emplace_back(a.position, a.text);
  return finds;
}

TEST(ImageScanTest, FindsWhatTheLazyPatternsFind) {
  std::mt19937 rng(3);
  int servers = 0;
  int locals = 0;
  for (int round = 0; round < 20000; ++round) {
    const std::string text = generate(rng);
    const Finds server = matcherFinds("<img[^>]+src=\"(" + kContents + "([^/]+))\"", 2, text);
    ASSERT_EQ(scanFinds(ScanServerImages(text, kContents)), server) << text;
    Finds local = matcherFinds(R"re(<img[^>]+src="(file://)?([A-Z]:\\.+([^\\]+))")re", 2, text);
    const Finds posix = matcherFinds(R"re(<img[^>]+src="file://(/[^"]*[^/"])")re", 1, text);
    local.insert(local.end(), posix.begin(), posix.end());
    std::stable_sort(local.begin(), local.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    ASSERT_EQ(scanFinds(ScanLocalImages(text)), local) << text;
    servers += !server.empty();
    locals += !local.empty();
  }
  // The generator must reach the matches, not only their absence.
  EXPECT_GT(servers, 1000);
  EXPECT_GT(locals, 1000);
}

}  // namespace
}  // namespace pellora::images
