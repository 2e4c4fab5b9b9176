// Covered by tests/content/source_merge_test.cpp.
#include "content/merge_tokens.h"

#include <array>
#include <string>

#include "content/html_entities.h"

namespace pellora::content {

namespace {

template <std::size_t N>
bool isOneOf(std::string_view name, const std::array<std::string_view, N>& names) {
  for (std::string_view known : names) {
    if (name == known) return true;
  }
  return false;
}

// Elements that never have an end tag in the engine's serialization.
constexpr std::array<std::string_view, 18> kVoid = {
    "area", "base",  "basefont", "bgsound", "br",   "col",   "embed",  "frame", "hr",
    "img",  "input", "keygen",   "link",    "meta", "param", "source", "track", "wbr"};

// Text the tokenizer reads up to the element's end tag, and whose references
// the parser leaves alone.
constexpr std::array<std::string_view, 3> kRawText = {"script", "style", "xmp"};
constexpr std::array<std::string_view, 2> kEscapableRawText = {"title", "textarea"};

constexpr std::array<std::string_view, 3> kImplied = {"tbody", "tr", "colgroup"};
constexpr std::array<std::string_view, 3> kMergedAway = {"html", "head", "body"};

class KeyHash {
 public:
  void add(std::uint64_t value) {
    hash_ ^= value;
    hash_ *= 0x100000001B3ull;
  }
  void add(std::string_view text) {
    for (char c : text) add(static_cast<unsigned char>(c));
    add(0x1F0000u);  // a separator no code point equals
  }
  void add(const std::u32string& text) {
    for (char32_t c : text) add(static_cast<std::uint64_t>(c));
    add(0x1F0000u);
  }
  std::uint64_t value() const { return hash_; }

 private:
  std::uint64_t hash_ = 0xCBF29CE484222325ull;
};

// Comments and the markup the parser turns into comments share one key.
enum KeyKind : std::uint64_t { kText = 1, kStart, kEnd, kComment };

class Scanner {
 public:
  Scanner(std::string_view html, std::size_t base, MergeKeys keys)
      : html_(html), base_(base), keys_(keys == MergeKeys::Canonical) {}

  std::vector<MergeToken> run() {
    const std::vector<HtmlToken> tokens = TokenizeHtml(html_);
    std::vector<MergeToken> out;
    out.reserve(tokens.size());
    const HtmlToken* previous = nullptr;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
      const HtmlToken& token = tokens[i];
      MergeToken merged;
      merged.kind = token.kind;
      merged.begin = offset(token.raw);
      merged.end = merged.begin + token.raw.size();
      if (token.kind == HtmlTokenKind::Text) {
        const bool afterRawTextTag =
            previous && previous->kind == HtmlTokenKind::StartTag &&
            (isOneOf(previous->name, kRawText) || isOneOf(previous->name, kEscapableRawText));
        if (!afterRawTextTag) {
          while (i + 1 < tokens.size() && tokens[i + 1].kind == HtmlTokenKind::Text) {
            ++i;
            merged.end = offset(tokens[i].raw) + tokens[i].raw.size();
          }
        }
        if (keys_) merged.key = textKey(merged, afterRawTextTag ? previous->name : "");
      } else {
        describe(token, merged);
      }
      out.push_back(merged);
      previous = &tokens[i];
    }
    return out;
  }

 private:
  std::size_t offset(std::string_view raw) const {
    return static_cast<std::size_t>(raw.data() - html_.data()) + base_;
  }

  std::uint64_t textKey(const MergeToken& token, std::string_view element) {
    const std::string_view text = html_.substr(token.begin - base_, token.end - token.begin);
    KeyHash hash;
    hash.add(kText);
    if (isOneOf(element, kRawText)) {
      addNormalised(text, hash);  // references stay as written
    } else {
      decoded_.clear();
      AppendHtmlCodePoints(text, ReferenceContext::Text, decoded_);
      hash.add(decoded_);
    }
    return hash.value();
  }

  void describe(const HtmlToken& token, MergeToken& merged) {
    KeyHash hash;
    switch (token.kind) {
      case HtmlTokenKind::StartTag: {
        const bool rawText =
            isOneOf(token.name, kRawText) || isOneOf(token.name, kEscapableRawText);
        merged.depthStep = isOneOf(token.name, kVoid) ? 0 : 1;
        merged.closed = !rawText;
        merged.contentless = isOneOf(token.name, kMergedAway) ||
                             (token.attributes.empty() && isOneOf(token.name, kImplied));
        if (keys_) startTagKey(token, hash);
        break;
      }
      case HtmlTokenKind::EndTag:
        merged.depthStep = -1;
        merged.closed = merged.contentless = true;
        hash.add(kEnd);
        hash.add(token.name);
        break;
      case HtmlTokenKind::Comment:
        merged.closed = token.raw.size() >= 7 && token.raw.substr(token.raw.size() - 3) == "-->";
        hash.add(kComment);
        addNormalised(token.body, hash);
        break;
      case HtmlTokenKind::Markup: {
        merged.closed = token.raw.size() >= 3 && token.raw.back() == '>';
        merged.contentless = isDoctype(token.body);
        hash.add(kComment);
        // "<?x>" becomes the comment "?x"; "<!x>" and "</ x>" the comments "x" and " x".
        if (token.raw[1] == '?') hash.add(static_cast<std::uint64_t>('?'));
        addNormalised(token.body, hash);
        break;
      }
      case HtmlTokenKind::Text:
        break;
    }
    if (keys_) merged.key = hash.value();
  }

  void startTagKey(const HtmlToken& token, KeyHash& hash) {
    hash.add(kStart);
    hash.add(token.name);
    for (std::size_t i = 0; i < token.attributes.size(); ++i) {
      const HtmlAttribute& attribute = token.attributes[i];
      bool repeated = false;
      for (std::size_t j = 0; j < i && !repeated; ++j) {
        repeated = token.attributes[j].name == attribute.name;
      }
      if (repeated) continue;  // the parser keeps the first
      hash.add(attribute.name);
      decoded_.clear();
      AppendHtmlCodePoints(attribute.value, ReferenceContext::Attribute, decoded_);
      hash.add(decoded_);
    }
  }

  // The text with CR LF and lone CR read as LF, the parser's first step.
  void addNormalised(std::string_view text, KeyHash& hash) {
    decoded_.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r') {
        decoded_ += U'\n';
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      } else {
        decoded_ += static_cast<char32_t>(static_cast<unsigned char>(text[i]));
      }
    }
    hash.add(decoded_);
  }

  static bool isDoctype(std::string_view body) {
    constexpr std::string_view kDoctype = "doctype";
    if (body.size() < kDoctype.size()) return false;
    for (std::size_t i = 0; i < kDoctype.size(); ++i) {
      const char c = body[i] >= 'A' && body[i] <= 'Z' ? static_cast<char>(body[i] + 32) : body[i];
      if (c != kDoctype[i]) return false;
    }
    return true;
  }

  std::string_view html_;
  std::size_t base_;
  bool keys_;
  std::u32string decoded_;
};

}  // namespace

std::vector<MergeToken> ScanMergeTokens(std::string_view html, std::size_t base, MergeKeys keys) {
  return Scanner(html, base, keys).run();
}

}  // namespace pellora::content
