// Covered by tests/content/paste_cleanup_test.cpp.
#include "content/paste_style.h"

#include <array>
#include <vector>

#include "content/paste_markup.h"

namespace pellora::content::paste {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

std::string_view trim(std::string_view text) {
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::string lowered(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// The quote entities the browsers and Google Docs write inside style
// values, decoded so a ";" inside "&quot;" does not split a declaration.
std::string decodeQuotes(std::string_view text) {
  static constexpr std::array<std::pair<std::string_view, char>, 4> kEntities = {
      {{"&quot;", '"'}, {"&#34;", '"'}, {"&#39;", '\''}, {"&apos;", '\''}}};
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    bool replaced = false;
    if (text[i] == '&') {
      for (const auto& [entity, c] : kEntities) {
        if (startsWith(text.substr(i), entity)) {
          out += c;
          i += entity.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) out += text[i++];
  }
  return out;
}

// Declarations split at ";" outside quotes and parentheses.
std::vector<std::string_view> declarations(std::string_view style) {
  std::vector<std::string_view> out;
  char quote = 0;
  int depth = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= style.size(); ++i) {
    const char c = i < style.size() ? style[i] : ';';
    if (quote) {
      if (c == quote) quote = 0;
      if (i < style.size()) continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')' && depth > 0) {
      --depth;
    } else if (c == ';' && (depth == 0 || i == style.size())) {
      out.push_back(style.substr(start, i - start));
      start = i + 1;
    }
  }
  return out;
}

// Properties only Word knows (its `mso-*` ones are dropped by prefix) and
// Google Docs' spelling of "skip nothing" for underlines.
bool isOfficeOnly(std::string_view name) {
  static constexpr std::array<std::string_view, 9> kNames = {"tab-stops",
                                                             "text-autospace",
                                                             "layout-grid-mode",
                                                             "text-underline",
                                                             "punctuation-wrap",
                                                             "text-justify-trim",
                                                             "text-decoration-skip-ink",
                                                             "-webkit-text-decoration-skip",
                                                             "text-decoration-skip"};
  for (std::string_view known : kNames) {
    if (name == known) return true;
  }
  return startsWith(name, "mso-");
}

// Declarations that restate what an element has anyway: the initial value,
// or (empty value) any value of a property only the source's editor uses.
bool restatesInitial(std::string_view name, std::string_view value) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 27> kInitial = {{
      {"caret-color", ""},
      {"-webkit-tap-highlight-color", ""},
      {"-webkit-text-stroke-width", ""},
      {"orphans", "auto"},
      {"widows", "auto"},
      {"letter-spacing", "normal"},
      {"word-spacing", "0px"},
      {"text-indent", "0px"},
      {"text-transform", "none"},
      {"white-space", "normal"},
      {"text-align", "start"},
      {"font-style", "normal"},
      {"font-weight", "normal"},
      {"font-weight", "400"},
      {"text-decoration", "none"},
      {"vertical-align", "baseline"},
      {"background-color", "transparent"},
      {"background", "transparent"},
      {"font-size-adjust", "none"},
      {"font-kerning", "auto"},
      {"font-feature-settings", "normal"},
      {"font-optical-sizing", "auto"},
      {"font-variation-settings", "normal"},
      {"font-width", "normal"},
      {"font-stretch", "normal"},
      {"line-height", "normal"},
      {"text-decoration-line", "none"},
  }};
  for (const auto& [known, initial] : kInitial) {
    if (name == known && (initial.empty() || value == initial)) return true;
  }
  if (name == "color") {
    // Black text, which the content has anyway; the engine writes it on
    // every block it copies, Google Docs on every span.
    static constexpr std::array<std::string_view, 5> kBlack = {"rgb(0, 0, 0)", "#000000", "#000",
                                                               "black", "windowtext"};
    for (std::string_view black : kBlack) {
      if (value == black) return true;
    }
  }
  return startsWith(name, "font-variant") && value == "normal";
}

// A length in points; 0 for anything else.
double points(std::string_view value) {
  std::size_t digits = 0;
  double number = 0;
  double scale = 0;
  for (; digits < value.size(); ++digits) {
    const char c = value[digits];
    if (c == '.' && scale == 0) {
      scale = 1;
    } else if (c >= '0' && c <= '9') {
      number = number * 10 + (c - '0');
      if (scale > 0) scale *= 10;
    } else {
      break;
    }
    if (number > 1e6) return 0;
  }
  if (scale > 0) number /= scale;
  const std::string_view unit = value.substr(digits);
  if (unit == "pt") return number;
  if (unit == "px") return number * 0.75;
  if (unit == "in") return number * 72;
  if (unit == "cm") return number * 72 / 2.54;
  if (unit == "mm") return number * 72 / 25.4;
  return 0;
}

bool isFontProperty(std::string_view name) {
  return name == "font" || name == "color" ||
         (startsWith(name, "font-") && name != "font-weight" && name != "font-style");
}

bool isBoldWeight(std::string_view value) {
  return value == "bold" || value == "bolder" || value == "600" || value == "700" ||
         value == "800" || value == "900";
}

}  // namespace

PastedStyle ReadPastedStyle(std::string_view style, StyleOwner owner, const PasteOptions& options) {
  PastedStyle result;
  const std::string decoded = decodeQuotes(style);
  const bool span = owner == StyleOwner::Span;
  for (std::string_view declaration : declarations(decoded)) {
    const std::size_t colon = declaration.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string name = lowered(trim(declaration.substr(0, colon)));
    const std::string_view value = trim(declaration.substr(colon + 1));
    const std::string lower = lowered(value);
    if (name.empty() || value.empty()) continue;
    if (name == "mso-list") {
      result.msoList = std::string(value);
      continue;
    }
    if (isOfficeOnly(name)) continue;
    if (name == "font-weight" && (lower == "normal" || lower == "400")) result.normalWeight = true;
    if (restatesInitial(name, lower)) continue;
    if (name == "margin-left") result.marginLeftPt = points(lower);
    if (name == "font-weight") {
      if (span && isBoldWeight(lower)) {
        result.marks.bold = true;
        continue;
      }
    } else if (name == "font-style") {
      if (span && (lower == "italic" || startsWith(lower, "oblique"))) {
        result.marks.italic = true;
        continue;
      }
    } else if (name == "text-decoration" || name == "text-decoration-line") {
      if (span) {
        result.marks.underline = result.marks.underline || lower.find("underline") != lower.npos;
        result.marks.strike = result.marks.strike || lower.find("line-through") != lower.npos;
        continue;
      }
    } else if (name == "vertical-align") {
      if (span && (lower == "super" || lower == "sub")) {
        (lower == "super" ? result.marks.superscript : result.marks.subscript) = true;
        continue;
      }
    }
    if (options.dropFonts && isFontProperty(name)) continue;
    if (!result.kept.empty()) result.kept += "; ";
    result.kept.append(name).append(": ").append(value);
  }
  return result;
}

}  // namespace pellora::content::paste
