// Covered by tests/content/paste_cleanup_test.cpp.
#include "content/paste_word_lists.h"

#include <algorithm>

#include "content/paste_markup.h"
#include "content/pattern_matcher.h"

namespace pellora::content::paste {

bool parseWordListItem(std::string_view msoList, WordListItem& item) {
  const std::size_t at = msoList.find("level");
  if (at == std::string_view::npos) return false;
  int level = 0;
  for (std::size_t i = at + 5; i < msoList.size() && msoList[i] >= '0' && msoList[i] <= '9'; ++i) {
    level = std::min(level * 10 + (msoList[i] - '0'), 9);
  }
  if (level < 1) return false;
  const std::size_t end = msoList.find(' ');
  item.list = std::string(msoList.substr(0, end));
  item.level = level;
  return true;
}

bool isConditionalStart(const HtmlToken& token, std::string_view condition) {
  const std::string_view body = token.body;
  if (token.kind == HtmlTokenKind::Comment || token.kind == HtmlTokenKind::Markup) {
    return startsWith(body, "[if ") && body.find(condition) != std::string_view::npos &&
           body.find("endif") == std::string_view::npos;
  }
  return false;
}

bool isConditionalEnd(const HtmlToken& token) {
  return (token.kind == HtmlTokenKind::Comment || token.kind == HtmlTokenKind::Markup) &&
         startsWith(token.body, "[endif]");
}

std::string compactMarker(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    if (startsWith(text.substr(i), "&nbsp;")) {
      i += 6;
    } else if (startsWith(text.substr(i), "&#160;")) {
      i += 6;
    } else if (startsWith(text.substr(i), "\xC2\xA0")) {
      i += 2;
    } else if (isBlank(text.substr(i, 1))) {
      ++i;
    } else {
      out += text[i++];
    }
  }
  return out;
}

bool isNumbering(const std::string& marker) {
  if (marker.empty() || marker.size() > 8) return false;
  PatternMatcher matcher;
  matcher.setPattern("\\(?[0-9A-Za-z]+[.)]");
  return matcher.Exec(marker) && matcher.matchPos(0) == 1 &&
         matcher.matchLen(0) == static_cast<std::ptrdiff_t>(marker.size());
}

bool isBullet(const std::string& marker) {
  if (marker == "o") return true;
  if (marker.empty() || marker.size() > 4) return false;
  const auto lead = static_cast<unsigned char>(marker[0]);
  const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (marker.size() != length) return false;
  const auto folded = static_cast<unsigned char>(lead | 0x20);
  return length > 1 || !((lead >= '0' && lead <= '9') || (folded >= 'a' && folded <= 'z'));
}

}  // namespace pellora::content::paste
