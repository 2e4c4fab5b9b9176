// Covered by tests/content/paste_cleanup_test.cpp and fuzz/fuzz_paste_cleanup.cpp.
#include "content/paste_cleanup.h"

#include <algorithm>
#include <array>
#include <optional>
#include <unordered_map>
#include <vector>

#include "content/apply_options.h"
#include "content/html_tokens.h"
#include "content/paste_style.h"
#include "content/pattern_matcher.h"

namespace pellora::content {

namespace {

using paste::PastedStyle;
using paste::ReadPastedStyle;
using paste::StyleOwner;

template <std::size_t N>
bool oneOf(std::string_view name, const std::array<std::string_view, N>& names) {
  for (std::string_view known : names) {
    if (name == known) return true;
  }
  return false;
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (lower(text[i]) != prefix[i]) return false;
  }
  return true;
}

bool isBlank(std::string_view text) {
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r' && c != '\f') return false;
  }
  return true;
}

// Elements that come through, with their tags.
constexpr std::array<std::string_view, 49> kKept = {
    "p",     "div",     "h1",       "h2",    "h3",    "h4",         "h5",    "h6",      "ul",
    "ol",    "li",      "dl",       "dt",    "dd",    "blockquote", "pre",   "address", "center",
    "table", "caption", "colgroup", "thead", "tbody", "tfoot",      "tr",    "td",      "th",
    "a",     "b",       "strong",   "i",     "em",    "u",          "s",     "strike",  "del",
    "ins",   "sub",     "sup",      "code",  "kbd",   "tt",         "small", "big",     "q",
    "cite",  "abbr",    "span",     "font"};
// Kept elements without contents or end tag.
constexpr std::array<std::string_view, 4> kKeptVoid = {"br", "hr", "img", "col"};
// Elements that go with everything inside them.
constexpr std::array<std::string_view, 20> kDropped = {
    "head",   "style",  "script", "title",  "xml",      "template", "noscript",
    "object", "applet", "iframe", "frame",  "frameset", "textarea", "select",
    "button", "svg",    "math",   "canvas", "audio",    "video"};
// Void elements that go; any other element is unwrapped (its contents stay).
constexpr std::array<std::string_view, 11> kDroppedVoid = {"meta",  "link",   "base",    "input",
                                                           "param", "source", "track",   "wbr",
                                                           "embed", "area",   "basefont"};
// Elements that no paragraph can hold: they close an open one.
constexpr std::array<std::string_view, 19> kClosesParagraph = {
    "p",  "div", "h1", "h2",         "h3",    "h4",      "h5",     "h6", "ul", "ol",
    "dl", "pre", "hr", "blockquote", "table", "address", "center", "li", "dd"};

bool allowedAttribute(std::string_view element, std::string_view name) {
  static constexpr std::array<std::string_view, 3> kAnywhere = {"title", "align", "dir"};
  if (oneOf(name, kAnywhere)) return true;
  if (element == "a") return name == "href" || name == "name" || name == "target" || name == "id";
  if (element == "img") {
    static constexpr std::array<std::string_view, 7> kNames = {
        "src", "alt", "width", "height", "border", "hspace", "vspace"};
    return oneOf(name, kNames);
  }
  if (element == "table") {
    static constexpr std::array<std::string_view, 6> kNames = {
        "border", "cellpadding", "cellspacing", "width", "bgcolor", "summary"};
    return oneOf(name, kNames);
  }
  if (element == "td" || element == "th") {
    static constexpr std::array<std::string_view, 7> kNames = {
        "colspan", "rowspan", "width", "height", "valign", "bgcolor", "nowrap"};
    return oneOf(name, kNames);
  }
  if (element == "tr") return name == "valign" || name == "bgcolor" || name == "height";
  if (element == "col" || element == "colgroup") return name == "span" || name == "width";
  if (element == "ol") return name == "start" || name == "type" || name == "reversed";
  if (element == "ul") return name == "type";
  if (element == "li") return name == "value" || name == "type";
  if (element == "font") return name == "face" || name == "size" || name == "color";
  return false;
}

// Classes that name the office program's own style sheet, which the paste
// leaves behind: Word's "MsoNormal", Excel's "xl65", LibreOffice's
// "western", WebKit's "Apple-...".
bool isOfficeClass(std::string_view name) {
  if (startsWithIgnoringCase(name, "mso") || startsWith(name, "Apple-")) return true;
  if (name == "western" || name == "cjk" || name == "ctl") return true;
  if (name.size() > 2 && startsWith(name, "xl")) {
    for (char c : name.substr(2)) {
      if (c < '0' || c > '9') return false;
    }
    return true;
  }
  return false;
}

// What is left of a class attribute once the office classes are gone.
std::string keptClasses(std::string_view value) {
  std::string out;
  std::size_t i = 0;
  while (i < value.size()) {
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < value.size() && value[i] != ' ' && value[i] != '\t') ++i;
    const std::string_view name = value.substr(start, i - start);
    if (name.empty() || isOfficeClass(name)) continue;
    if (!out.empty()) out += ' ';
    out += name;
  }
  return out;
}

// An address a link or image may keep: none that runs a script.
bool safeAddress(std::string_view value, std::string_view element) {
  std::string scheme;
  for (char c : value) {
    if (static_cast<unsigned char>(c) <= 0x20) continue;  // the browsers skip these too
    if (c == '&') return false;                           // an entity would hide the scheme
    if (c == ':' || c == '/' || c == '?' || c == '#' || scheme.size() > 16) break;
    scheme += lower(c);
  }
  if (scheme == "javascript" || scheme == "vbscript") return false;
  if (scheme == "data") return element == "img" && startsWithIgnoringCase(value, "data:image/");
  return true;
}

void appendAttribute(std::string& out, std::string_view name, std::string_view value,
                     bool hasValue) {
  out.append(" ").append(name);
  if (!hasValue) return;
  out += "=\"";
  // Angle brackets too, so no markup is ever seen in a value.
  for (char c : value) {
    if (c == '"')
      out += "&quot;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else
      out += c;
  }
  out += '"';
}

// Word's list paragraphs: "l0 level2 lfo1" gives the list and the level.
struct WordListItem {
  std::string list;
  int level = 0;
};

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

// The marker text Word writes before a list paragraph's text ("1.",
// "a)", a bullet), with its spacing removed.
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

// A numbering such as "1.", "iv.", "b)" or "(3)" rather than a bullet.
bool isNumbering(const std::string& marker) {
  if (marker.empty() || marker.size() > 8) return false;
  PatternMatcher matcher;
  matcher.setPattern("\\(?[0-9A-Za-z]+[.)]");
  return matcher.Exec(marker) && matcher.matchPos(0) == 1 &&
         matcher.matchLen(0) == static_cast<std::ptrdiff_t>(marker.size());
}

// One character (in UTF-8) that is no letter or digit, or Word's "o" of
// the second level.
bool isBullet(const std::string& marker) {
  if (marker == "o") return true;
  if (marker.empty() || marker.size() > 4) return false;
  const auto lead = static_cast<unsigned char>(marker[0]);
  const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (marker.size() != length) return false;
  const auto folded = static_cast<unsigned char>(lead | 0x20);
  return length > 1 || !((lead >= '0' && lead <= '9') || (folded >= 'a' && folded <= 'z'));
}

class Cleaner {
 public:
  Cleaner(std::string_view html, const PasteOptions& options)
      : tokens_(TokenizeHtml(html)), options_(options) {
    out_.reserve(html.size() / 2);
  }

  std::string run() {
    for (index_ = 0; index_ < tokens_.size(); ++index_) {
      const HtmlToken& token = tokens_[index_];
      switch (token.kind) {
        case HtmlTokenKind::Text:
          text(token.body);
          break;
        case HtmlTokenKind::StartTag:
          startTag(token);
          break;
        case HtmlTokenKind::EndTag:
          endTag(token.name);
          break;
        case HtmlTokenKind::Comment:
        case HtmlTokenKind::Markup:
          // Comments, conditional comments and declarations go; what a
          // "<![if !vml]>" reveals to other programs stays.
          break;
      }
    }
    while (!open_.empty()) pop();
    closeLists();
    return std::move(out_);
  }

 private:
  struct Open {
    std::string name;
    std::string close;  // what its end writes
    bool drops = false;
  };

  bool dropping() const { return dropDepth_ > 0; }

  void text(std::string_view body) {
    if (dropping()) return;
    if (!lists_.empty() && open_.size() == listDepth_ && !isBlank(body)) closeLists();
    for (char c : body) {
      if (c == '<')
        out_ += "&lt;";
      else
        out_ += c;
    }
  }

  void push(const std::string& name, std::string close, bool drops) {
    if (drops) ++dropDepth_;
    ++openCount_[name];
    open_.push_back({name, std::move(close), drops});
  }

  void pop() {
    Open& top = open_.back();
    if (top.drops) --dropDepth_;
    --openCount_[top.name];
    if (!dropping()) out_ += top.close;
    open_.pop_back();
  }

  void endTag(const std::string& name) {
    auto found = openCount_.find(name);
    if (found == openCount_.end() || found->second == 0) return;  // nothing to close
    for (;;) {
      if (!lists_.empty() && open_.size() == listDepth_) closeLists();
      const bool last = open_.back().name == name;
      pop();
      if (last) break;
    }
  }

  void startTag(const HtmlToken& token) {
    const std::string& name = token.name;
    if (name == "body" && openCount_["head"] > 0) endTag("head");
    if (dropping()) {
      if (!token.selfClosing && !oneOf(name, kKeptVoid) && !oneOf(name, kDroppedVoid)) {
        push(name, {}, false);
      }
      return;
    }
    if (oneOf(name, kDroppedVoid)) return;
    if (oneOf(name, kDropped)) {
      if (!token.selfClosing) push(name, {}, true);
      return;
    }
    if (!open_.empty() && open_.back().name == "p" && oneOf(name, kClosesParagraph)) endTag("p");

    WordListItem item;
    const PastedStyle style = readStyle(token);
    const bool listItem = name == "p" && isWordListItem(token, style, item);
    if (!lists_.empty() && open_.size() == listDepth_ && !listItem) closeLists();
    if (listItem) {
      wordListItem(item);
      push(name, {}, false);
      return;
    }
    if (oneOf(name, kKeptVoid)) {
      if (name == "br" && hasClass(token, "Apple-interchange-newline")) return;
      out_ += '<' + name + attributes(token, style) + '>';
      return;
    }
    if (token.selfClosing) return;  // an empty element of some other kind
    if (!oneOf(name, kKept) || unwraps(token, style)) {
      push(name, marksOpen(style, name), false);
      return;
    }
    const std::string kept = attributes(token, style);
    if ((name == "span" || name == "font" || name == "a") && kept.empty()) {
      push(name, marksOpen(style, name), false);
      return;
    }
    out_ += '<' + name + kept + '>';
    std::string close = marksOpen(style, name);
    close += "</" + name + '>';
    push(name, std::move(close), false);
  }

  PastedStyle readStyle(const HtmlToken& token) const {
    const HtmlAttribute* style = token.attribute("style");
    if (!style) return {};
    return ReadPastedStyle(style->value,
                           token.name == "span" ? StyleOwner::Span : StyleOwner::Element, options_);
  }

  static bool hasClass(const HtmlToken& token, std::string_view wanted) {
    const HtmlAttribute* classes = token.attribute("class");
    return classes && classes->value.find(wanted) != std::string_view::npos;
  }

  // Elements whose tag is noise though the element is kept in general.
  bool unwraps(const HtmlToken& token, const PastedStyle& style) const {
    const std::string& name = token.name;
    // Google Docs wraps the whole copy in a bold element that is not bold.
    if ((name == "b" || name == "strong") && style.normalWeight) return true;
    if (name == "font" && options_.dropFonts) return true;
    // Word's page section.
    if (name == "div" && hasClass(token, "WordSection")) return true;
    return false;
  }

  // Opens the elements a span's style stands for; answers their end tags.
  std::string marksOpen(const PastedStyle& style, const std::string& name) {
    if (name != "span") return {};
    std::string close;
    const auto mark = [&](bool on, const char* tag) {
      if (!on) return;
      out_.append("<").append(tag).append(">");
      close.insert(0, std::string("</") + tag + ">");
    };
    mark(style.marks.bold, "b");
    mark(style.marks.italic, "i");
    mark(style.marks.underline, "u");
    mark(style.marks.strike, "s");
    mark(style.marks.superscript, "sup");
    mark(style.marks.subscript, "sub");
    return close;
  }

  std::string attributes(const HtmlToken& token, const PastedStyle& style) const {
    std::string out;
    const std::string& element = token.name;
    for (const HtmlAttribute& attribute : token.attributes) {
      const std::string& name = attribute.name;
      if (name == "style") {
        if (!options_.dropStyles && !style.kept.empty()) {
          appendAttribute(out, "style", style.kept, true);
        }
      } else if (name == "class") {
        if (options_.dropStyles) continue;
        const std::string classes = keptClasses(attribute.value);
        if (!classes.empty()) appendAttribute(out, "class", classes, true);
      } else if (name == "id") {
        if (element == "a" && !startsWith(attribute.value, "docs-internal-guid")) {
          appendAttribute(out, name, attribute.value, attribute.hasValue);
        }
      } else if (name == "dir") {
        // Left to right is what the view does anyway.
        if (startsWithIgnoringCase(attribute.value, "rtl")) appendAttribute(out, name, "rtl", true);
      } else if (name == "href" || name == "src") {
        if (allowedAttribute(element, name) && safeAddress(attribute.value, element)) {
          appendAttribute(out, name, attribute.value, attribute.hasValue);
        }
      } else if (name == "name" && attribute.value == "_GoBack") {
        // Word's mark of the last edit.
      } else if (name == "size" && element == "font" && attribute.value == "3") {
        // The default size: says nothing.
      } else if (options_.dropStyles && (name == "bgcolor" || name == "color")) {
        // Colours are style.
      } else if (options_.dropFonts && name == "color") {
        // The font's colour.
      } else if (allowedAttribute(element, name)) {
        appendAttribute(out, name, attribute.value, attribute.hasValue);
      }
    }
    return out;
  }

  // --- Word's list paragraphs --------------------------------------------

  struct OpenList {
    std::string list;
    bool numbered = false;
  };

  // Word's list paragraph: its list and level from the "mso-list"
  // declaration, or (once the engine has rewritten the copy, which drops
  // both that declaration and the comments around the marker) from its
  // class and indent, when a marker opens it. Reads the marker.
  bool isWordListItem(const HtmlToken& token, const PastedStyle& style, WordListItem& item) {
    if (!style.msoList.empty() && parseWordListItem(style.msoList, item)) {
      marker_ = markerText();
      return true;
    }
    const HtmlAttribute* classes = token.attribute("class");
    if (!classes || classes->value.find("MsoListParagraph") == std::string_view::npos) {
      return false;
    }
    const std::optional<std::string> marker = markerGroup();
    if (!marker) return false;
    marker_ = *marker;
    item.list.clear();
    // Word indents each level by a further 36 points.
    item.level = std::clamp(static_cast<int>(style.marginLeftPt / 36 + 0.5), 1, 9);
    return true;
  }

  void wordListItem(const WordListItem& item) {
    const bool numbered = isNumbering(compactMarker(marker_));
    if (lists_.empty()) listDepth_ = open_.size();
    // A level may only go one deeper than the list it is in.
    const std::size_t level =
        std::min<std::size_t>(static_cast<std::size_t>(item.level), lists_.size() + 1);
    while (lists_.size() > level) closeList();
    if (lists_.size() == level) {
      OpenList& current = lists_.back();
      if (current.numbered != numbered || (level == 1 && current.list != item.list)) {
        closeList();
      } else {
        out_ += "</li>";
      }
    }
    if (lists_.size() < level) {
      lists_.push_back({item.list, numbered});
      out_ += numbered ? "<ol>" : "<ul>";
    }
    out_ += "<li>";
  }

  // The text of the marker that follows the list paragraph's tag; skips
  // the marker, so it is not written as text.
  std::string markerText() {
    // Word writes the marker right after the paragraph's tag; a bounded
    // look keeps the scan linear.
    constexpr std::size_t kLookAhead = 64;
    const std::size_t limit = std::min(tokens_.size(), index_ + 1 + kLookAhead);
    std::size_t start = index_ + 1;
    while (start < limit && tokens_[start].kind == HtmlTokenKind::Text &&
           isBlank(tokens_[start].body)) {
      ++start;
    }
    if (start >= limit || !isConditionalStart(tokens_[start], "supportLists")) return {};
    std::string marker;
    for (std::size_t i = start + 1; i < limit; ++i) {
      if (isConditionalEnd(tokens_[i])) {
        index_ = i;  // the marker's tokens are done with
        return marker;
      }
      if (tokens_[i].kind == HtmlTokenKind::Text) marker += tokens_[i].body;
    }
    return {};
  }

  // The marker as the engine rewrites it: the paragraph's first run of
  // nested inline elements whose text is a bullet or a numbering. Skips it.
  std::optional<std::string> markerGroup() {
    constexpr std::size_t kLookAhead = 64;
    const std::size_t limit = std::min(tokens_.size(), index_ + 1 + kLookAhead);
    std::string text;
    int depth = 0;
    for (std::size_t i = index_ + 1; i < limit; ++i) {
      const HtmlToken& token = tokens_[i];
      if (token.kind == HtmlTokenKind::StartTag) {
        if (token.name != "span" && token.name != "font") return std::nullopt;
        if (!token.selfClosing) ++depth;
      } else if (token.kind == HtmlTokenKind::EndTag) {
        if (--depth < 0) return std::nullopt;
      } else if (token.kind == HtmlTokenKind::Text) {
        if (depth == 0 && !isBlank(token.body)) return std::nullopt;
        text += token.body;
      }
      if (depth == 0 && !text.empty()) {
        const std::string marker = compactMarker(text);
        if (!isBullet(marker) && !isNumbering(marker)) return std::nullopt;
        index_ = i;
        return marker;
      }
    }
    return std::nullopt;
  }

  void closeList() {
    out_ += lists_.back().numbered ? "</li></ol>" : "</li></ul>";
    lists_.pop_back();
  }

  void closeLists() {
    while (!lists_.empty()) closeList();
  }

  std::vector<HtmlToken> tokens_;
  const PasteOptions& options_;
  std::size_t index_ = 0;
  std::string out_;
  std::vector<Open> open_;
  std::unordered_map<std::string, int> openCount_;
  int dropDepth_ = 0;
  std::vector<OpenList> lists_;
  std::string marker_;  // of the list paragraph at hand
  // The number of open elements around the list paragraphs.
  std::size_t listDepth_ = 0;
};

}  // namespace

PasteOptions PasteOptionsFromWords(const std::string& editOptions) {
  PasteOptions options;
  options.dropStyles = HasOptionWord(editOptions, "nostyle");
  options.dropFonts = HasOptionWord(editOptions, "nofont");
  return options;
}

std::string CleanPastedHtml(std::string_view html, const PasteOptions& options) {
  return Cleaner(html, options).run();
}

bool ShowsNothing(std::string_view html) {
  for (const HtmlToken& token : TokenizeHtml(html)) {
    if (token.kind == HtmlTokenKind::Text && !isBlank(compactMarker(token.body))) return false;
    if (token.kind == HtmlTokenKind::StartTag &&
        (oneOf(token.name, kKeptVoid) || token.name == "table")) {
      return false;
    }
  }
  return true;
}

}  // namespace pellora::content
