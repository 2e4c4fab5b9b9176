#include "content/protected_blocks.h"

#include <gtest/gtest.h>

#include <string>

namespace pellora::content {
namespace {

// `{n}` in a shielded form stands for the n-th token of the marker.
std::string withTokens(std::string pattern, const std::string& marker) {
  for (std::size_t at = pattern.find('{'); at != std::string::npos; at = pattern.find('{', at)) {
    const std::size_t close = pattern.find('}', at);
    const std::string token = marker + pattern.substr(at + 1, close - at - 1) + "-";
    pattern.replace(at, close - at + 1, token);
    at += token.size();
  }
  return pattern;
}

TEST(ProtectedBlocks, ShieldsWhatTheEngineCannotHoldAndRestoresItByteForByte) {
  struct Row {
    const char* why;
    std::string body;
    std::string shielded;  // with {n} for the n-th token
    std::string kinds;     // one letter a block: P(HP), A(SP), C(omment), H(int)
  };
  const Row rows[] = {
      {"php in text", "<p>Heute <?php echo date(\"d.m.Y\"); ?>!</p>", "<p>Heute <!--{0}-->!</p>",
       "P"},
      {"a \">\" inside php does not end it", "<?php if ($a > 1) echo 'x'; ?>", "<!--{0}-->", "P"},
      {"asp in text", "<% Response.Write(x) %>\r\n<b>y</b>", "<!--{0}-->\r\n<b>y</b>", "A"},
      {"php in a quoted attribute, quotes inside",
       "<a href=\"<?php echo \"/x\" ?>\" title='<%= t %>'>l</a>",
       "<a href=\"{0}\" title='{1}'>l</a>", "PA"},
      {"php as a whole attribute", "<input <?php echo $on ?> type=checkbox>",
       "<input {0} type=checkbox>", "P"},
      {"comments and conditional comments",
       "<!-- note --><!--[if IE]><p>old</p><![endif]--><![if !IE]>new<![endif]>",
       "<!--{0}--><!--{1}--><!--{2}-->new<!--{3}-->", "CCCC"},
      {"empty comments are whole", "a<!-->b<!--->c", "a<!--{0}-->b<!--{1}-->c", "CC"},
      {"a comment in a script is script text; php there is still php",
       "<script>/*<!--*/ var d = '<?= $d ?>';</script><!--x-->",
       "<script>/*<!--*/ var d = '{0}';</script><!--{1}-->", "PC"},
      {"unterminated script runs to the end", "<p>a</p><?php echo 1;", "<p>a</p><!--{0}-->", "P"},
      {"a \"<\" that opens nothing is text", "a < b <3 </ >", "a < b <3 </ >", ""},
      {"links that fetch ahead, their relation spelt any way; a style sheet is no hint",
       "<link rel=\"pre&#99;onnect\" href=x><LINK REL='Icon DNS-Prefetch' href=y>"
       "<link rel=stylesheet href=s.css>",
       "<!--{0}--><!--{1}--><link rel=stylesheet href=s.css>", "HH"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    const ShieldedText shielded = ShieldBlocks(row.body);
    EXPECT_EQ(shielded.text, withTokens(row.shielded, shielded.marker));
    std::string kinds;
    for (const ProtectedBlock& block : shielded.blocks) {
      kinds += block.kind == BlockKind::Hint ? 'H' : blockKindName(block.kind)[0];
    }
    EXPECT_EQ(kinds, row.kinds);
    EXPECT_EQ(RestoreBlocks(shielded.text, shielded), row.body);
  }
}

TEST(ProtectedBlocks, RestoresTheEngineFormsOfTheStandIns) {
  const std::string body = "<p><?php a(); ?></p><input <?php b(); ?>><img alt=\"<% c %>\">";
  const ShieldedText shielded = ShieldBlocks(body);
  ASSERT_EQ(shielded.blocks.size(), 3u);
  // The engine lower-cases nothing of the tokens, quotes attribute values,
  // and gives an attribute without value an empty one.
  const std::string engine =
      withTokens("<p><!--{0}--></p><input {1}=\"\"><img alt=\"{2}\">", shielded.marker);
  EXPECT_EQ(RestoreBlocks(engine, shielded), body);
  // A stand-in copied elsewhere in the document brings its block along.
  EXPECT_EQ(
      RestoreBlocks(withTokens("<b><!--{0}--></b><i><!--{0}--></i>", shielded.marker), shielded),
      "<b><?php a(); ?></b><i><?php a(); ?></i>");
  // A token of no block (index out of range) stays as written.
  const std::string stray = withTokens("<!--{7}-->", shielded.marker);
  EXPECT_EQ(RestoreBlocks(stray, shielded), stray);
}

TEST(ProtectedBlocks, ChipsPastedInTheDocumentKeepTheirBlocks) {
  const ShieldedText shielded = ShieldBlocks("<p><?php a(); ?></p><p><% b %></p>");
  const ShieldedText elsewhere = ShieldBlocks("<p><?php other(); ?></p>");
  const auto chip = [](const ShieldedText& of, int n) {
    return "<span class=\"pellora-chip\" contenteditable=\"false\" data-block=\"" + of.marker +
           std::to_string(n) + "-\" title=\"&lt;?php\" style=\"x\">PHP</span>";
  };
  const std::string pasted = "<b>x" + chip(shielded, 1) + "</b>" + chip(elsewhere, 0) +
                             "<a href=\"" + shielded.marker + "0-\">l</a>";
  const std::string tokens = ChipsToTokens(pasted, shielded);
  EXPECT_EQ(tokens, "<b>x" + shielded.marker + "1-</b>" + chip(elsewhere, 0) + "<a href=\"" +
                        shielded.marker + "0-\">l</a>")
      << "only this document's chips, and nothing else, become tokens";
  EXPECT_EQ(RestoreBlocks(TokensToStandIns(tokens, shielded), shielded),
            "<b>x<% b %></b>" + chip(elsewhere, 0) + "<a href=\"<?php a(); ?>\">l</a>");
  EXPECT_EQ(TokensToStandIns(tokens, shielded).find("href=\"<!--"), std::string::npos)
      << "a token in an attribute stays bare";
}

TEST(ProtectedBlocks, ChoosesAMarkerTheBodyDoesNotHoldAndANewOneEachTime) {
  const std::string body = "PELLORA-word- and pellora- <?x?>";
  const ShieldedText shielded = ShieldBlocks(body);
  ASSERT_EQ(shielded.blocks.size(), 1u);
  EXPECT_EQ(shielded.text.find(shielded.marker), body.size() - 5 + 4)
      << "the only occurrence is the stand-in";
  EXPECT_EQ(RestoreBlocks(shielded.text, shielded), body);
  EXPECT_NE(ShieldBlocks(body).marker, shielded.marker);
}

}  // namespace
}  // namespace pellora::content
