// The body scan against the pattern matcher it stands in for, and the
// one-pass tag rewriting against one pass per rewrite, on generated markup.
#include "content/body_scan.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "content/extract_body.h"
#include "content/pattern_matcher.h"

namespace pellora::content {
namespace {

using namespace std::string_literals;

// Long enough to matter, short enough for the matcher to compare with.
const std::string kLongRun(3000, 'a');
const std::string kStyle = " style=\"MARGIN-RIGHT: 0px\"";
const std::string kAttributes = " dir=ltr" + kStyle;

// Bits that make and break body tags and the rewritten tags, and whole
// ones; a text is up to 30 of them, now and then thousands, its letters
// flipped in case at random.
std::string generate(std::mt19937& rng) {
  static const std::vector<std::string> kBits = {"<body", ">",  "<",    "/",        "b",
                                                 "ody",   " x", "\r\n", "\0"s,      "\x01",
                                                 "\xC9",  "</", "LI>",  " dir=ltr", kLongRun};
  static const std::vector<std::string> kWholes = {"<body>", "<BODY x=1>", "</body>",   "<EM>",
                                                   "</EM>",  "<STRONG>",   "</STRONG>", "</LI>",
                                                   kStyle,   kAttributes};
  std::string text;
  for (unsigned n = rng() % 100 == 0 ? 3000 : rng() % 30; n > 0; --n) {
    const auto& pieces = rng() % 3 == 0 ? kWholes : kBits;
    text += pieces[rng() % pieces.size()];
  }
  for (char& c : text) {
    if (((c | 0x20) >= 'a' && (c | 0x20) <= 'z') && rng() % 8 == 0) c ^= 0x20;
  }
  return text;
}

TEST(BodyScanTest, FindsWhatTheLazyPatternFinds) {
  PatternMatcher matcher;
  matcher.setCaseInsensitive(true);
  matcher.setGreedy(false);
  matcher.setPattern("<body.*>(.*)</body>");
  std::mt19937 rng(1);
  int found = 0;
  for (int round = 0; round < 20000; ++round) {
    const std::string html = generate(rng);
    const std::optional<std::string_view> body = FindBodyContent(html);
    ASSERT_EQ(body.has_value(), matcher.Exec(html)) << html;
    if (!body) continue;
    ++found;
    ASSERT_EQ(body->data() - html.data(), matcher.matchPos(1) - 1) << html;
    ASSERT_EQ(*body, matcher.match(1)) << html;
  }
  // The generator must reach the bodies, not only their absence.
  EXPECT_GT(found, 2000);
}

// NormalizeTags as documented: one pass per rewrite, in order.
std::string rewriteStepByStep(std::string text) {
  const std::pair<std::string, std::string> kSteps[] = {{"<EM>", "<I>"},     {"</EM>", "</I>"},
                                                        {"<STRONG>", "<B>"}, {"</STRONG>", "</B>"},
                                                        {"</LI>", ""},       {kAttributes, ""}};
  for (const auto& [find, by] : kSteps) {
    for (std::size_t at = text.find(find); at != std::string::npos; at = text.find(find, at)) {
      text.replace(at, find.size(), by);
      at += by.size();
    }
  }
  return text;
}

TEST(NormalizeTagsTest, OnePassGivesWhatOnePassPerRewriteGives) {
  std::mt19937 rng(2);
  int rewritten = 0;
  for (int round = 0; round < 20000; ++round) {
    const std::string text = generate(rng);
    const std::string expected = rewriteStepByStep(text);
    ASSERT_EQ(NormalizeTags(text), expected) << text;
    ASSERT_EQ(NormalizeBody(text), TrimControl(expected)) << text;
    rewritten += expected != text;
  }
  EXPECT_GT(rewritten, 5000);
}

}  // namespace
}  // namespace pellora::content
