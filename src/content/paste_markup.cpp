// Covered by tests/content/paste_cleanup_test.cpp.
#include "content/paste_markup.h"

namespace pellora::content::paste {

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

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

}  // namespace

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

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

ElementKind elementKind(std::string_view name) {
  if (oneOf(name, kKept)) return ElementKind::Kept;
  if (oneOf(name, kKeptVoid)) return ElementKind::KeptVoid;
  if (oneOf(name, kDropped)) return ElementKind::Dropped;
  if (oneOf(name, kDroppedVoid)) return ElementKind::DroppedVoid;
  return ElementKind::Unwrapped;
}

bool closesParagraph(std::string_view name) { return oneOf(name, kClosesParagraph); }

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

}  // namespace pellora::content::paste
