#include "content/html_tokens.h"

#include <gtest/gtest.h>

#include <string>

namespace pellora::content {
namespace {

// One line per token: "T:text", "S:name a=value b ...", "E:name", "C:body",
// "M:body"; a self-closing start tag ends in "/".
std::string describe(std::string_view html) {
  std::string out;
  for (const HtmlToken& token : TokenizeHtml(html)) {
    switch (token.kind) {
      case HtmlTokenKind::Text:
        out += "T:" + std::string(token.body);
        break;
      case HtmlTokenKind::StartTag:
        out += "S:" + token.name;
        for (const HtmlAttribute& attribute : token.attributes) {
          out += ' ' + attribute.name;
          if (attribute.hasValue) out += '=' + std::string(attribute.value);
        }
        if (token.selfClosing) out += '/';
        break;
      case HtmlTokenKind::EndTag:
        out += "E:" + token.name;
        break;
      case HtmlTokenKind::Comment:
        out += "C:" + std::string(token.body);
        break;
      case HtmlTokenKind::Markup:
        out += "M:" + std::string(token.body);
        break;
    }
    out += '|';
  }
  return out;
}

TEST(HtmlTokensTest, Cases) {
  const struct {
    const char* what;
    const char* html;
    const char* tokens;
  } rows[] = {
      {"tags, text, letter case", "<P Class=MsoNormal>a</P>", "S:p class=MsoNormal|T:a|E:p|"},
      {"quoted values may hold > and the other quote", "<a title='x>\"y' href=\"b\">c</a>",
       "S:a title=x>\"y href=b|T:c|E:a|"},
      {"attributes without value, blanks around =", "<td nowrap x:num = 42 >",
       "S:td nowrap x:num=42|"},
      {"self-closing", "<br/><o:p />", "S:br/|S:o:p/|"},
      {"comments and conditional markup", "<!--[if gte mso 9]><xml></xml><![endif]--><![if !x]>",
       "C:[if gte mso 9]><xml></xml><![endif]|M:[if !x]|"},
      {"declarations and processing instructions", "<!DOCTYPE html><?xml version=\"1.0\"?>",
       "M:DOCTYPE html|M:xml version=\"1.0\"?|"},
      {"style holds text up to its end tag", "<style>p>b{}</p></STYLE>x",
       "S:style|T:p>b{}</p>|E:style|T:x|"},
      {"a < that opens nothing is text", "1 < 2 <3 </ 4>", "T:1 |T:< 2 |T:<3 |M: 4|"},
      {"a tag cut off at the end is dropped", "a<b title=\"x", "T:a|"},
      {"a comment cut off at the end runs to it", "a<!--b", "T:a|C:b|"},
      {"an unterminated style runs to the end", "<style>a<b>", "S:style|T:a<b>|"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(describe(row.html), row.tokens);
  }
}

}  // namespace
}  // namespace pellora::content
