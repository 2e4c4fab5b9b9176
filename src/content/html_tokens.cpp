// Covered by tests/content/html_tokens_test.cpp and fuzz/fuzz_paste_cleanup.cpp.
#include "content/html_tokens.h"

#include <algorithm>
#include <array>

namespace pellora::content {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Elements whose contents are text up to their own end tag.
bool holdsRawText(std::string_view name) {
  static constexpr std::array<std::string_view, 5> kNames = {"script", "style", "title", "textarea",
                                                             "xmp"};
  for (std::string_view known : kNames) {
    if (name == known) return true;
  }
  return false;
}

class Scanner {
 public:
  explicit Scanner(std::string_view html) : html_(html) {}

  std::vector<HtmlToken> run() {
    // At most one markup token per "<" and one text token after each: room
    // for all of them at once spares a large text's token list the copies
    // and fresh pages of growing step by step.
    tokens_.reserve(2 * static_cast<std::size_t>(std::count(html_.begin(), html_.end(), '<')) + 1);
    while (at_ < html_.size()) {
      if (html_[at_] == '<' && markup()) continue;
      text();
    }
    return std::move(tokens_);
  }

 private:
  // Text up to the next "<" that may open markup (at least one byte).
  void text() {
    const std::size_t start = at_;
    std::size_t next = html_.find('<', at_ + 1);
    at_ = next == std::string_view::npos ? html_.size() : next;
    HtmlToken token;
    token.raw = token.body = html_.substr(start, at_ - start);
    tokens_.push_back(std::move(token));
  }

  // Reads the markup at a "<"; false when it opens none (the "<" is text).
  bool markup() {
    const std::string_view rest = html_.substr(at_);
    if (rest.substr(0, 4) == "<!--") return comment();
    if (rest.size() >= 2 && (rest[1] == '!' || rest[1] == '?')) return declaration(2);
    if (rest.size() >= 3 && rest[1] == '/' && isLetter(rest[2])) return tag(HtmlTokenKind::EndTag);
    // "</>" or "</ " is a bogus comment to the browsers.
    if (rest.size() >= 2 && rest[1] == '/') return declaration(2);
    if (rest.size() >= 2 && isLetter(rest[1])) return tag(HtmlTokenKind::StartTag);
    return false;
  }

  bool comment() {
    const std::size_t start = at_;
    const std::size_t end = html_.find("-->", start + 4);
    HtmlToken token;
    token.kind = HtmlTokenKind::Comment;
    if (end == std::string_view::npos) {
      token.body = html_.substr(start + 4);
      at_ = html_.size();
    } else {
      token.body = html_.substr(start + 4, end - start - 4);
      at_ = end + 3;
    }
    token.raw = html_.substr(start, at_ - start);
    tokens_.push_back(std::move(token));
    return true;
  }

  bool declaration(std::size_t skip) {
    const std::size_t start = at_;
    const std::size_t end = html_.find('>', start + skip);
    HtmlToken token;
    token.kind = HtmlTokenKind::Markup;
    if (end == std::string_view::npos) {
      token.body = html_.substr(start + skip);
      at_ = html_.size();
    } else {
      token.body = html_.substr(start + skip, end - start - skip);
      at_ = end + 1;
    }
    token.raw = html_.substr(start, at_ - start);
    tokens_.push_back(std::move(token));
    return true;
  }

  std::string_view readName(std::size_t& i) const {
    const std::size_t start = i;
    while (i < html_.size() && !isSpace(html_[i]) && html_[i] != '/' && html_[i] != '>') ++i;
    return html_.substr(start, i - start);
  }

  bool tag(HtmlTokenKind kind) {
    const std::size_t start = at_;
    std::size_t i = at_ + (kind == HtmlTokenKind::EndTag ? 2 : 1);
    HtmlToken token;
    token.kind = kind;
    for (char c : readName(i)) token.name += lower(c);
    while (i < html_.size() && html_[i] != '>') {
      const char c = html_[i];
      if (isSpace(c)) {
        ++i;
        continue;
      }
      if (c == '/') {
        ++i;
        token.selfClosing = i < html_.size() && html_[i] == '>';
        continue;
      }
      attribute(i, token);
    }
    if (i >= html_.size()) {
      // A tag cut off by the end of the text: the browsers drop it.
      at_ = html_.size();
      return true;
    }
    at_ = i + 1;
    token.raw = html_.substr(start, at_ - start);
    const bool rawText = kind == HtmlTokenKind::StartTag && holdsRawText(token.name);
    const std::string name = token.name;
    tokens_.push_back(std::move(token));
    if (rawText) rawTextUntilEndOf(name);
    return true;
  }

  void attribute(std::size_t& i, HtmlToken& token) {
    HtmlAttribute attribute;
    const std::size_t nameStart = i;
    // A name may start with "=" (the browsers keep it as part of the name).
    ++i;
    while (i < html_.size() && !isSpace(html_[i]) && html_[i] != '/' && html_[i] != '>' &&
           html_[i] != '=') {
      ++i;
    }
    for (char c : html_.substr(nameStart, i - nameStart)) attribute.name += lower(c);
    std::size_t j = i;
    while (j < html_.size() && isSpace(html_[j])) ++j;
    if (j < html_.size() && html_[j] == '=') {
      ++j;
      while (j < html_.size() && isSpace(html_[j])) ++j;
      attribute.hasValue = true;
      if (j < html_.size() && (html_[j] == '"' || html_[j] == '\'')) {
        const char quote = html_[j];
        const std::size_t end = html_.find(quote, j + 1);
        const std::size_t stop = end == std::string_view::npos ? html_.size() : end;
        attribute.value = html_.substr(j + 1, stop - j - 1);
        j = end == std::string_view::npos ? html_.size() : end + 1;
      } else {
        const std::size_t start = j;
        while (j < html_.size() && !isSpace(html_[j]) && html_[j] != '>') ++j;
        attribute.value = html_.substr(start, j - start);
      }
      i = j;
    }
    token.attributes.push_back(std::move(attribute));
  }

  // The contents of a raw-text element, up to "</name" or the end.
  void rawTextUntilEndOf(const std::string& name) {
    const std::size_t start = at_;
    std::size_t end = html_.size();
    for (std::size_t i = html_.find("</", start); i != std::string_view::npos;
         i = html_.find("</", i + 2)) {
      if (equalsIgnoringCase(html_.substr(i + 2, name.size()), name)) {
        end = i;
        break;
      }
    }
    if (end == start) return;
    HtmlToken token;
    token.raw = token.body = html_.substr(start, end - start);
    tokens_.push_back(std::move(token));
    at_ = end;
  }

  std::string_view html_;
  std::size_t at_ = 0;
  std::vector<HtmlToken> tokens_;
};

}  // namespace

const HtmlAttribute* HtmlToken::attribute(std::string_view wanted) const {
  for (const HtmlAttribute& candidate : attributes) {
    if (candidate.name == wanted) return &candidate;
  }
  return nullptr;
}

std::vector<HtmlToken> TokenizeHtml(std::string_view html) { return Scanner(html).run(); }

}  // namespace pellora::content
