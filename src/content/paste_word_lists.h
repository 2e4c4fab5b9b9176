// Word's list paragraphs: the list and level its "mso-list" declaration
// names, and the marker text (a bullet or a numbering) it writes before the
// paragraph's text, which tells a bulleted list from a numbered one. Only
// paste_cleanup.cpp uses it.
#pragma once

#include <string>
#include <string_view>

#include "content/html_tokens.h"

namespace pellora::content::paste {

// "l0 level2 lfo1" gives the list ("l0") and the level (2).
struct WordListItem {
  std::string list;
  int level = 0;
};

bool parseWordListItem(std::string_view msoList, WordListItem& item);

// "<![if !supportLists]>" or "<!--[if !supportLists]-->" for the condition
// "supportLists", and the "[endif]" that ends either.
bool isConditionalStart(const HtmlToken& token, std::string_view condition);
bool isConditionalEnd(const HtmlToken& token);

// The marker text with its spacing (blanks, no-break spaces) removed.
std::string compactMarker(std::string_view text);
// A numbering such as "1.", "iv.", "b)" or "(3)".
bool isNumbering(const std::string& marker);
// One character (in UTF-8) that is no letter or digit, or Word's "o" of
// the second level.
bool isBullet(const std::string& marker);

}  // namespace pellora::content::paste
