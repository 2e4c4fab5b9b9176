// Covered by tests/content/paste_cleanup_test.cpp and fuzz/fuzz_paste_cleanup.cpp.
#include "content/paste_cleanup.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <vector>

#include "content/apply_options.h"
#include "content/html_tokens.h"
#include "content/paste_markup.h"
#include "content/paste_style.h"
#include "content/paste_word_lists.h"

namespace pellora::content {

namespace {

using paste::allowedAttribute;
using paste::appendAttribute;
using paste::closesParagraph;
using paste::compactMarker;
using paste::ElementKind;
using paste::elementKind;
using paste::isBlank;
using paste::isBullet;
using paste::isConditionalEnd;
using paste::isConditionalStart;
using paste::isNumbering;
using paste::keptClasses;
using paste::parseWordListItem;
using paste::PastedStyle;
using paste::ReadPastedStyle;
using paste::safeAddress;
using paste::startsWith;
using paste::startsWithIgnoringCase;
using paste::StyleOwner;
using paste::WordListItem;

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
    const ElementKind kind = elementKind(name);
    if (name == "body" && openCount_["head"] > 0) endTag("head");
    if (dropping()) {
      if (!token.selfClosing && kind != ElementKind::KeptVoid && kind != ElementKind::DroppedVoid) {
        push(name, {}, false);
      }
      return;
    }
    if (kind == ElementKind::DroppedVoid) return;
    if (kind == ElementKind::Dropped) {
      if (!token.selfClosing) push(name, {}, true);
      return;
    }
    if (!open_.empty() && open_.back().name == "p" && closesParagraph(name)) endTag("p");

    WordListItem item;
    const PastedStyle style = readStyle(token);
    const bool listItem = name == "p" && isWordListItem(token, style, item);
    if (!lists_.empty() && open_.size() == listDepth_ && !listItem) closeLists();
    if (listItem) {
      wordListItem(item);
      push(name, {}, false);
      return;
    }
    if (kind == ElementKind::KeptVoid) {
      if (name == "br" && hasClass(token, "Apple-interchange-newline")) return;
      out_ += '<' + name + attributes(token, style) + '>';
      return;
    }
    if (token.selfClosing) return;  // an empty element of some other kind
    if (kind != ElementKind::Kept || unwraps(token, style)) {
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
        (elementKind(token.name) == ElementKind::KeptVoid || token.name == "table")) {
      return false;
    }
  }
  return true;
}

}  // namespace pellora::content
