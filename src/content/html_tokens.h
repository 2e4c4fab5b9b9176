// A forgiving scan of HTML into tokens: text, start and end tags with their
// attributes, comments and other markup declarations ("<!DOCTYPE ...>",
// "<![if ...]>", "<?xml ...?>"). It follows the browsers' tokenizer where
// that matters for foreign markup (quoted values may hold ">", the contents
// of script, style, title, textarea and xmp are text up to their end tag, a
// "<" that opens no tag is text) and never fails: every byte belongs to one
// token. One pass, linear in the input; the pattern matcher is not used for
// the scan because it only promises polynomial time.
//
// Tokens refer into the scanned text, which must outlive them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pellora::content {

struct HtmlAttribute {
  std::string name;        // lower case
  std::string_view value;  // as written, entities not decoded
  bool hasValue = false;
};

enum class HtmlTokenKind {
  Text,  // raw text, entities not decoded
  StartTag,
  EndTag,
  Comment,  // `body` is what lies between "<!--" and "-->"
  Markup,   // `body` is what lies between "<!" or "<?" and ">"
};

struct HtmlToken {
  HtmlTokenKind kind = HtmlTokenKind::Text;
  std::string_view raw;   // the whole token as written
  std::string_view body;  // Text: == raw; Comment and Markup: see above
  std::string name;       // tags only, lower case
  std::vector<HtmlAttribute> attributes;
  bool selfClosing = false;

  // The first attribute called `name` (lower case), or null.
  const HtmlAttribute* attribute(std::string_view name) const;
};

std::vector<HtmlToken> TokenizeHtml(std::string_view html);

}  // namespace pellora::content
