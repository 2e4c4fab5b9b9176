#include "content/source_keeper.h"

#include <gtest/gtest.h>

#include <string>

namespace pellora::content {
namespace {

TEST(SourceKeeper, BodyContentsIsWhatTheParserPutsInTheBody) {
  const struct {
    const char* document;
    const char* contents;
  } rows[] = {
      {"<HTML><HEAD></HEAD>\r\n<BODY bgColor=\"#ffffff\"><P>x</P></BODY></HTML>", "<P>x</P>"},
      {"<body>a</body>b</BODY>c", "a</body>b"},  // the parser keeps what follows a body end tag
      {"<bodyx>a</bodyx>", "<bodyx>a</bodyx>"},  // no body tag at all: everything
      {"<body\nclass=a>open", "open"},
      {"<body", "<body"},  // no whole start tag: everything
  };
  for (const auto& row : rows) {
    EXPECT_EQ(BodyContents(row.document), row.contents) << row.document;
  }
}

class SourceKeeperTest : public ::testing::Test {
 protected:
  // Loads `body` as the surface does; the engine's first body is `first`.
  std::string load(const std::string& body, const std::string& first) {
    const std::string put = keeper.put("<HTML><BODY>" + body + "</BODY></HTML>");
    keeper.loaded([first, this] {
      ++firstAsked;
      return first;
    });
    return put;
  }

  // The body handed out when the engine's checks answer `checks` in turn.
  std::string handOut(const std::string& now, std::vector<bool> checks) {
    std::size_t asked = 0;
    std::string out = keeper.body(now, [&](std::string_view, std::string_view) {
      EXPECT_LT(asked, checks.size()) << "checked more often than expected";
      return asked < checks.size() && checks[asked++];
    });
    EXPECT_EQ(asked, checks.size());
    return out;
  }

  SourceKeeper keeper;
  int firstAsked = 0;
};

TEST_F(SourceKeeperTest, AnUntouchedBodyIsHandedOutAsLoadedWithoutAsking) {
  const std::string put = load("<P class=a>x &amp; <?php y(); ?></P>", "");
  ASSERT_EQ(keeper.shielded().blocks.size(), 1u);
  const std::string engine =
      "<p class=\"a\">x &amp; <!--" + keeper.shielded().marker + "0--->" + "</p>";
  keeper.loaded([engine] { return engine; });
  EXPECT_EQ(put.find("<?php"), std::string::npos) << "the engine never sees the script";
  EXPECT_EQ(handOut(engine, {}), "<P class=a>x &amp; <?php y(); ?></P>");
}

TEST_F(SourceKeeperTest, EditedBodiesAreCheckedAndFallBackStepByStep) {
  const std::string first = "<p>eins</p><p>zwei</p>";
  const std::string now = "<p>eins</p><p><b>zwei</b></p>";
  load("<P>eins<P>zwei", first);
  const std::string kept = handOut(now, {true});
  EXPECT_EQ(kept, "<P>eins<P><b>zwei</b></p>") << "the untouched paragraph keeps its bytes";
  EXPECT_EQ(keeper.fallbacks(), 0u);
  // Coarser, the changed paragraph is the engine's own: nothing to ask.
  EXPECT_EQ(handOut(now, {false}), "<P>eins</p><p><b>zwei</b></p>");
  EXPECT_EQ(keeper.fallbacks(), 1u);
  EXPECT_EQ(firstAsked, 1) << "the engine's first body is read once per load";
}

TEST_F(SourceKeeperTest, ElementsLeftOpenAcrossParagraphsAreCheckedWholeAndLastHandedOutAsShown) {
  // The parser carries the open <B> into the next paragraph: only the
  // whole body can be checked, and when it fails, the engine's body goes.
  load("<P><B>eins<P>zwei", "<p><b>eins</b></p><p><b>zwei</b></p>");
  const std::string now = "<p><b>eins</b></p><p><b>zwei!</b></p>";
  EXPECT_EQ(handOut(now, {false, false}), now);
  EXPECT_EQ(keeper.fallbacks(), 2u);
}

TEST_F(SourceKeeperTest, BeforeALoadCompletesTheEngineBodyIsHandedOutWithBlocksRestored) {
  keeper.put("<BODY><% a %></BODY>");
  const std::string standIn = "<!--" + keeper.shielded().marker + "0--->";
  EXPECT_EQ(handOut("<p>" + standIn + "</p>", {}), "<p><% a %></p>");
}

}  // namespace
}  // namespace pellora::content
