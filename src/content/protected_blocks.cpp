// Covered by tests/content/protected_blocks_test.cpp.
#include "content/protected_blocks.h"

#include <array>
#include <optional>
#include <random>
#include <vector>

#include "content/html_entities.h"
#include "content/html_tokens.h"

namespace pellora::content {

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool startsWithIgnoringCase(std::string_view text, std::size_t at, std::string_view prefix) {
  if (text.size() - at < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (lower(text[at + i]) != prefix[i]) return false;
  }
  return true;
}

bool containsIgnoringCase(std::string_view text, std::string_view word) {
  for (std::size_t at = text.find_first_of("pP"); at != std::string_view::npos;
       at = text.find_first_of("pP", at + 1)) {
    if (startsWithIgnoringCase(text, at, word)) return true;
  }
  return false;
}

// One past the end of `close` from `from` on, or the end of the text: an
// unterminated block runs to the end, as the server's script would.
std::size_t endOf(std::string_view text, std::size_t from, std::string_view close) {
  const std::size_t at = text.find(close, from);
  return at == std::string_view::npos ? text.size() : at + close.size();
}

// Elements whose contents the parser takes as text: a comment there is text,
// server script is still server script.
bool holdsText(std::string_view name) {
  static constexpr std::array<std::string_view, 6> kNames = {"script",   "style", "title",
                                                             "textarea", "xmp",   "plaintext"};
  for (std::string_view known : kNames) {
    if (name == known) return true;
  }
  return false;
}

// A link start tag whose relation has the engine connect or fetch as the
// document loads; its value read as the parser reads it (references
// decoded, any letter case).
bool fetchesAhead(std::string_view tag) {
  const std::vector<HtmlToken> tokens = TokenizeHtml(tag);
  if (tokens.empty() || tokens[0].kind != HtmlTokenKind::StartTag) return false;
  const HtmlAttribute* rel = tokens[0].attribute("rel");
  if (!rel) return false;
  std::u32string value;
  AppendHtmlCodePoints(rel->value, ReferenceContext::Attribute, value);
  static constexpr std::string_view kAhead[] = {
      "preconnect",  "dns-prefetch", "prefetch", "prerender",        "preload", "modulepreload",
      "subresource", "icon",         "manifest", "apple-touch-icon", "pingback"};
  std::string word;
  const auto isAhead = [&word] {
    for (std::string_view known : kAhead) {
      if (word == known) return true;
    }
    return false;
  };
  for (std::size_t i = 0; i <= value.size(); ++i) {
    const char32_t c = i < value.size() ? value[i] : U' ';
    if (c == U' ' || c == U'\t' || c == U'\n' || c == U'\f' || c == U'\r') {
      if (isAhead()) return true;
      word.clear();
    } else {
      word += c < 0x80 ? lower(static_cast<char>(c)) : '?';
    }
  }
  return false;
}

// Eight lower-case hexadecimal digits, different each time.
std::string randomWord() {
  static std::mt19937 generator{std::random_device{}()};
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string word;
  for (int i = 0; i < 8; ++i) word += kDigits[generator() % 16];
  return word;
}

// The index of the token of `shielded` at `at`, and where it ends; nullopt
// when no valid token starts there.
struct TokenAt {
  std::size_t index;
  std::size_t end;
};
std::optional<TokenAt> tokenAt(std::string_view text, std::size_t at,
                               const ShieldedText& shielded) {
  if (text.compare(at, shielded.marker.size(), shielded.marker) != 0) return std::nullopt;
  std::size_t end = at + shielded.marker.size();
  std::size_t index = 0;
  const std::size_t digits = end;
  while (end < text.size() && text[end] >= '0' && text[end] <= '9' &&
         index <= shielded.blocks.size()) {
    index = index * 10 + static_cast<std::size_t>(text[end++] - '0');
  }
  if (end == digits || end >= text.size() || text[end] != '-' || index >= shielded.blocks.size()) {
    return std::nullopt;
  }
  return TokenAt{index, end + 1};
}

class Shielder {
 public:
  explicit Shielder(std::string_view text) : text_(text) {
    do {
      result_.marker = "pellora-" + randomWord() + "-";
    } while (containsIgnoringCase(text, result_.marker));
    result_.text.reserve(text.size());
  }

  ShieldedText run() {
    while (at_ < text_.size()) {
      if (serverScript(false)) continue;
      if (text_[at_] == '<' && (comment() || tag())) continue;
      result_.text += text_[at_++];
    }
    return std::move(result_);
  }

 private:
  void take(BlockKind kind, std::size_t end, bool inTag) {
    const std::string token = result_.marker + std::to_string(result_.blocks.size()) + "-";
    result_.blocks.push_back({kind, std::string(text_.substr(at_, end - at_)), inTag});
    result_.text += inTag ? token : "<!--" + token + "-->";
    at_ = end;
  }

  bool serverScript(bool inTag) {
    if (text_.compare(at_, 2, "<?") == 0) {
      take(BlockKind::Php, endOf(text_, at_ + 2, "?>"), inTag);
      return true;
    }
    if (text_.compare(at_, 2, "<%") == 0) {
      take(BlockKind::Asp, endOf(text_, at_ + 2, "%>"), inTag);
      return true;
    }
    return false;
  }

  bool comment() {
    if (text_.compare(at_, 4, "<!--") == 0) {
      // "<!-->" and "<!--->" are whole (empty) comments to the parser.
      std::size_t end;
      if (text_.compare(at_ + 4, 1, ">") == 0) {
        end = at_ + 5;
      } else if (text_.compare(at_ + 4, 2, "->") == 0) {
        end = at_ + 6;
      } else {
        end = endOf(text_, at_ + 4, "-->");
      }
      take(BlockKind::Comment, end, false);
      return true;
    }
    // Down-level conditional markup ("<![if !IE]>", "<![endif]>"), which the
    // parser would make a comment of its own.
    if (text_.compare(at_, 3, "<![") == 0) {
      take(BlockKind::Comment, endOf(text_, at_ + 3, ">"), false);
      return true;
    }
    return false;
  }

  // A start or end tag, copied with the server script in it shielded;
  // after the start tag of a text element, its text up to its end tag.
  bool tag() {
    const bool end = text_.compare(at_, 2, "</") == 0;
    const std::size_t nameAt = at_ + (end ? 2 : 1);
    if (nameAt >= text_.size() || !isLetter(text_[nameAt])) return false;
    const std::size_t tagAt = at_;
    const std::size_t shieldedAt = result_.text.size();
    std::string name;
    result_.text.append(text_.substr(at_, nameAt - at_));
    at_ = nameAt;
    while (at_ < text_.size() && !isSpace(text_[at_]) && text_[at_] != '>' && text_[at_] != '/' &&
           text_.compare(at_, 2, "<?") != 0 && text_.compare(at_, 2, "<%") != 0) {
      name += lower(text_[at_]);
      result_.text += text_[at_++];
    }
    char quote = 0;
    bool afterEquals = false;
    while (at_ < text_.size()) {
      if (serverScript(true)) continue;
      const char c = text_[at_++];
      result_.text += c;
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '>') {
        break;
      } else if ((c == '"' || c == '\'') && afterEquals) {
        quote = c;
      }
      if (!isSpace(c)) afterEquals = !quote && c == '=';
    }
    if (!end && name == "link" && fetchesAhead(text_.substr(tagAt, at_ - tagAt))) {
      const std::size_t tagEnd = at_;
      result_.text.resize(shieldedAt);
      at_ = tagAt;
      take(BlockKind::Hint, tagEnd, false);
      return true;
    }
    if (!end && holdsText(name)) textElement(name);
    return true;
  }

  void textElement(std::string_view name) {
    const std::string close = "</" + std::string(name);
    while (at_ < text_.size() && !startsWithIgnoringCase(text_, at_, close)) {
      if (serverScript(true)) continue;
      result_.text += text_[at_++];
    }
  }

  std::string_view text_;
  std::size_t at_ = 0;
  ShieldedText result_;
};

}  // namespace

ShieldedText ShieldBlocks(std::string_view text) { return Shielder(text).run(); }

std::string RestoreBlocks(std::string_view text, const ShieldedText& shielded) {
  if (shielded.blocks.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t copied = 0;
  for (std::size_t at = text.find(shielded.marker); at != std::string_view::npos;
       at = text.find(shielded.marker, at + 1)) {
    const std::optional<TokenAt> token = tokenAt(text, at, shielded);
    if (!token || at < copied) continue;
    std::size_t begin = at;
    std::size_t end = token->end;
    if (begin >= copied + 4 && text.compare(begin - 4, 4, "<!--") == 0 &&
        text.compare(end, 3, "-->") == 0) {
      begin -= 4;
      end += 3;
    } else if (text.compare(end, 3, "=\"\"") == 0) {
      end += 3;
    }
    out.append(text.substr(copied, begin - copied));
    out += shielded.blocks[token->index].code;
    copied = end;
  }
  out.append(text.substr(copied));
  return out;
}

std::string ChipsToTokens(std::string_view html, const ShieldedText& shielded) {
  if (shielded.blocks.empty()) return std::string(html);
  const std::string attribute = "data-block=\"" + shielded.marker;
  std::string out;
  std::size_t copied = 0;
  for (std::size_t at = html.find(attribute); at != std::string_view::npos;
       at = html.find(attribute, at + 1)) {
    const std::size_t tokenStart = at + attribute.size() - shielded.marker.size();
    const std::optional<TokenAt> token = tokenAt(html, tokenStart, shielded);
    const std::size_t open = html.rfind('<', at);
    const std::size_t close = html.find("</span>", at);
    if (!token || open == std::string_view::npos || open < copied ||
        close == std::string_view::npos) {
      continue;
    }
    out.append(html.substr(copied, open - copied));
    out.append(html.substr(tokenStart, token->end - tokenStart));
    copied = close + 7;
  }
  out.append(html.substr(copied));
  return out;
}

std::string TokensToStandIns(std::string_view html, const ShieldedText& shielded) {
  if (shielded.blocks.empty()) return std::string(html);
  std::string out;
  char quote = 0;
  bool inTag = false;
  for (std::size_t at = 0; at < html.size();) {
    const char c = html[at];
    if (!inTag) {
      if (const std::optional<TokenAt> token = tokenAt(html, at, shielded)) {
        out.append("<!--").append(html.substr(at, token->end - at)).append("-->");
        at = token->end;
        continue;
      }
      inTag = c == '<';
    } else if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      inTag = false;
    }
    out += c;
    ++at;
  }
  return out;
}

const char* blockKindName(BlockKind kind) {
  switch (kind) {
    case BlockKind::Php:
      return "PHP";
    case BlockKind::Asp:
      return "ASP";
    case BlockKind::Hint:
      return "";
    case BlockKind::Comment:
      break;
  }
  return "Comment";
}

}  // namespace pellora::content
