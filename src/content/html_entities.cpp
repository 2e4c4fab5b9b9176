// Covered by tests/content/source_merge_property_test.cpp and, through the key of
// each token, by tests/content/source_merge_test.cpp.
#include "content/html_entities.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "content/cp1252.h"
#include "content/hex_digits.h"

namespace pellora::content {

namespace {

struct NamedReference {
  std::string_view name;
  char32_t codePoint;
};

// U+00A0 to U+00FF in order; the parser also reads these without ";".
constexpr std::array<std::string_view, 96> kLatin1 = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
    "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
    "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
    "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
    "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

// Read without ";" as well, beside the Latin-1 block.
constexpr std::array<NamedReference, 10> kLegacyOthers = {{
    {"quot", 34},
    {"amp", 38},
    {"lt", 60},
    {"gt", 62},
    {"QUOT", 34},
    {"AMP", 38},
    {"LT", 60},
    {"GT", 62},
    {"COPY", 169},
    {"REG", 174},
}};

// The rest of HTML 4 and "&apos;"; "&lang;" and "&rang;" as the parser reads
// them today (the angle brackets, not the CJK ones).
constexpr std::array<NamedReference, 153> kOthers = {{
    {"apos", 39},     {"OElig", 338},   {"oelig", 339},    {"Scaron", 352},   {"scaron", 353},
    {"Yuml", 376},    {"fnof", 402},    {"circ", 710},     {"tilde", 732},    {"Alpha", 913},
    {"Beta", 914},    {"Gamma", 915},   {"Delta", 916},    {"Epsilon", 917},  {"Zeta", 918},
    {"Eta", 919},     {"Theta", 920},   {"Iota", 921},     {"Kappa", 922},    {"Lambda", 923},
    {"Mu", 924},      {"Nu", 925},      {"Xi", 926},       {"Omicron", 927},  {"Pi", 928},
    {"Rho", 929},     {"Sigma", 931},   {"Tau", 932},      {"Upsilon", 933},  {"Phi", 934},
    {"Chi", 935},     {"Psi", 936},     {"Omega", 937},    {"alpha", 945},    {"beta", 946},
    {"gamma", 947},   {"delta", 948},   {"epsilon", 949},  {"zeta", 950},     {"eta", 951},
    {"theta", 952},   {"iota", 953},    {"kappa", 954},    {"lambda", 955},   {"mu", 956},
    {"nu", 957},      {"xi", 958},      {"omicron", 959},  {"pi", 960},       {"rho", 961},
    {"sigmaf", 962},  {"sigma", 963},   {"tau", 964},      {"upsilon", 965},  {"phi", 966},
    {"chi", 967},     {"psi", 968},     {"omega", 969},    {"thetasym", 977}, {"upsih", 978},
    {"piv", 982},     {"ensp", 8194},   {"emsp", 8195},    {"thinsp", 8201},  {"zwnj", 8204},
    {"zwj", 8205},    {"lrm", 8206},    {"rlm", 8207},     {"ndash", 8211},   {"mdash", 8212},
    {"lsquo", 8216},  {"rsquo", 8217},  {"sbquo", 8218},   {"ldquo", 8220},   {"rdquo", 8221},
    {"bdquo", 8222},  {"dagger", 8224}, {"Dagger", 8225},  {"bull", 8226},    {"hellip", 8230},
    {"permil", 8240}, {"prime", 8242},  {"Prime", 8243},   {"lsaquo", 8249},  {"rsaquo", 8250},
    {"oline", 8254},  {"frasl", 8260},  {"euro", 8364},    {"image", 8465},   {"weierp", 8472},
    {"real", 8476},   {"trade", 8482},  {"alefsym", 8501}, {"larr", 8592},    {"uarr", 8593},
    {"rarr", 8594},   {"darr", 8595},   {"harr", 8596},    {"crarr", 8629},   {"lArr", 8656},
    {"uArr", 8657},   {"rArr", 8658},   {"dArr", 8659},    {"hArr", 8660},    {"forall", 8704},
    {"part", 8706},   {"exist", 8707},  {"empty", 8709},   {"nabla", 8711},   {"isin", 8712},
    {"notin", 8713},  {"ni", 8715},     {"prod", 8719},    {"sum", 8721},     {"minus", 8722},
    {"lowast", 8727}, {"radic", 8730},  {"prop", 8733},    {"infin", 8734},   {"ang", 8736},
    {"and", 8743},    {"or", 8744},     {"cap", 8745},     {"cup", 8746},     {"int", 8747},
    {"there4", 8756}, {"sim", 8764},    {"cong", 8773},    {"asymp", 8776},   {"ne", 8800},
    {"equiv", 8801},  {"le", 8804},     {"ge", 8805},      {"sub", 8834},     {"sup", 8835},
    {"nsub", 8836},   {"sube", 8838},   {"supe", 8839},    {"oplus", 8853},   {"otimes", 8855},
    {"perp", 8869},   {"sdot", 8901},   {"lceil", 8968},   {"rceil", 8969},   {"lfloor", 8970},
    {"rfloor", 8971}, {"lang", 10216},  {"rang", 10217},   {"loz", 9674},     {"spades", 9824},
    {"clubs", 9827},  {"hearts", 9829}, {"diams", 9830},
}};

constexpr std::size_t kLongestName = 8;  // "thetasym"

bool isAlphanumeric(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The code point of a name the parser also reads without ";", or 0.
char32_t legacyCodePoint(std::string_view name) {
  for (std::size_t i = 0; i < kLatin1.size(); ++i) {
    if (kLatin1[i] == name) return static_cast<char32_t>(0xA0 + i);
  }
  for (const NamedReference& reference : kLegacyOthers) {
    if (reference.name == name) return reference.codePoint;
  }
  return 0;
}

// What the parser makes of a numeric reference's value.
char32_t numericCodePoint(std::uint32_t value) {
  if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0xFFFD;
  // The C1 block is read as Windows-1252, the way legacy pages meant it.
  if (value >= 0x80 && value <= 0x9F) return cp1252ToCodePoint(static_cast<unsigned char>(value));
  return value;
}

// Decodes the numeric reference at `text[at]` == '&' ("&#" seen); advances
// `at` past it, or leaves it when no digit follows.
bool numericReference(std::string_view text, std::size_t& at, std::u32string& out) {
  std::size_t i = at + 2;
  const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
  if (hex) ++i;
  const std::size_t digitsStart = i;
  std::uint32_t value = 0;
  for (; i < text.size(); ++i) {
    const int digit =
        hex ? hexDigitValue(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (digit < 0) break;
    // Saturates beyond the last code point; the value only has to stay out of range.
    value = std::min<std::uint32_t>(value * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit),
                                    0x110000);
  }
  if (i == digitsStart) return false;
  if (i < text.size() && text[i] == ';') ++i;
  out += numericCodePoint(value);
  at = i;
  return true;
}

bool namedReference(std::string_view text, std::size_t& at, ReferenceContext context,
                    std::u32string& out) {
  std::size_t end = at + 1;
  while (end < text.size() && end - at - 1 < 32 && isAlphanumeric(text[end])) ++end;
  const std::string_view name = text.substr(at + 1, end - at - 1);
  if (name.empty()) return false;
  if (end < text.size() && text[end] == ';') {
    if (const char32_t cp = NamedReferenceCodePoint(name)) {
      out += cp;
      at = end + 1;
      return true;
    }
  }
  // Without ";" the parser takes the longest legacy name the run begins with.
  for (std::size_t length = std::min(name.size(), kLongestName); length > 0; --length) {
    const char32_t cp = legacyCodePoint(name.substr(0, length));
    if (cp == 0) continue;
    const std::size_t after = at + 1 + length;
    if (context == ReferenceContext::Attribute && after < text.size() &&
        (text[after] == '=' || isAlphanumeric(text[after]))) {
      return false;
    }
    out += cp;
    at = after;
    return true;
  }
  return false;
}

}  // namespace

char32_t NamedReferenceCodePoint(std::string_view name) {
  if (const char32_t cp = legacyCodePoint(name)) return cp;
  for (const NamedReference& reference : kOthers) {
    if (reference.name == name) return reference.codePoint;
  }
  return 0;
}

void AppendHtmlCodePoints(std::string_view text, ReferenceContext context, std::u32string& out) {
  std::size_t at = 0;
  while (at < text.size()) {
    const char c = text[at];
    if (c == '\r') {
      out += U'\n';
      at += at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
      continue;
    }
    if (c == '&' && at + 1 < text.size()) {
      if (text[at + 1] == '#' ? numericReference(text, at, out)
                              : namedReference(text, at, context, out)) {
        continue;
      }
    }
    out += cp1252ToCodePoint(static_cast<unsigned char>(c));
    ++at;
  }
}

}  // namespace pellora::content
