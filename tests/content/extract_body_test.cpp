#include "content/extract_body.h"

#include <gtest/gtest.h>

#include <string>

namespace pellora::content {
namespace {

// The document template the loader wraps every body in.
const std::string kHead =
    "<HTML><HEAD>\r\n<META content=\"Pellora\" name=GENERATOR></HEAD>\r\n<BODY "
    "bgColor=\"#ffffff\">";
const std::string kTail = "</BODY></HTML>";

TEST(ExtractBodyTest, Cases) {
  struct Row {
    const char* what;
    std::string html;
    std::string expected;
  };
  const Row rows[] = {
      {"template document", kHead + "\r\n<P><STRONG>x</STRONG></P>" + kTail, "<P><B>x</B></P>"},
      {"no closing tag keeps everything, head included", "  <head>h</head><body><EM>a</EM>\r\n",
       "<head>h</head><body><I>a</I>"},
      {"no body at all is still normalised and trimmed", "\t<STRONG>t</STRONG> \r\n", "<B>t</B>"},
      {"two bodies keep only the first", "<body>one</body>mid<body>two</body>", "one"},
      {"lower case is not rewritten, blanks trimmed", "<body>  <strong>a</strong>  </body>",
       "<strong>a</strong>"},
      {"body tag in mixed case with attributes over lines",
       "<Body\r\n onload=x>\r\n<P>b</P>\r\n</bODY>", "<P>b</P>"},
      {"closing tag before the opening one", "</body><body>x</body>", "x"},
      {"empty body", kHead + kTail, ""},
      {"control bytes below blank are trimmed", "<body>\x01\x1f y \x7f\x20</body>", "y \x7f"},
      {"body tag needs its closing bracket", "<body", "<body"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(ExtractBody(row.html), row.expected);
  }
}

TEST(ExtractBodyTest, SubjectEndsAtNulButUnmatchedTextIsKept) {
  // The matcher stops at the NUL: no closing tag is seen, so the whole text
  // stays, bytes after the NUL included.
  const std::string html("<body>a\0b</body>", 16);
  EXPECT_EQ(ExtractBody(html), html);
}

TEST(ExtractBodyTest, UnclosedBodyWithManyBracketsFinishes) {
  std::string html = "<html><body class=x>";
  for (int i = 0; i < 100000; ++i) html += "<p>>";
  EXPECT_EQ(ExtractBody(html), html);
}

TEST(NormalizeTagsTest, Replacements) {
  const std::pair<std::string, std::string> rows[] = {
      {"<EM>a</EM>", "<I>a</I>"},
      {"<STRONG>a</STRONG>", "<B>a</B>"},
      {"<em>a</em><EM class=x>b</EM>", "<em>a</em><EM class=x>b</I>"},
      {"<UL><LI>a</LI><LI>b</LI></UL>", "<UL><LI>a<LI>b</UL>"},
      {"<BLOCKQUOTE dir=ltr style=\"MARGIN-RIGHT: 0px\">q</BLOCKQUOTE>",
       "<BLOCKQUOTE>q</BLOCKQUOTE>"},
      {"<P dir=ltr style=\"MARGIN-RIGHT: 0px\">x<P dir=ltr style=\"MARGIN-RIGHT: 1px\">",
       "<P>x<P dir=ltr style=\"MARGIN-RIGHT: 1px\">"},
      // Replacement text is not scanned again within the same step.
      {"<<EM>EM>", "<<I>EM>"},
      // One pass per step: a removal that forms a new occurrence keeps it.
      {"</</LI>LI>", "</LI>"},
      // A later step sees the output of an earlier one.
      {"<STRONG></EM>", "<B></I>"},
      {"", ""},
  };
  for (const auto& [text, expected] : rows) EXPECT_EQ(NormalizeTags(text), expected) << text;
}

}  // namespace
}  // namespace pellora::content
