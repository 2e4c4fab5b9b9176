#include "content/content_language.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace pellora::content {

namespace {

// Words only one of the two languages uses often; words both use ("in",
// "an", "was", "will") would tell nothing.
constexpr std::string_view kGerman[] = {
    "der",  "die",  "das",  "und", "ist",  "nicht", "ein",   "eine", "einen", "mit",
    "von",  "zu",   "den",  "dem", "auf",  "sie",   "es",    "im",   "sich",  "auch",
    "wird", "oder", "nach", "wie", "aus",  "dass",  "noch",  "nur",  "sind",  "wir",
    "ich",  "bei",  "zum",  "zur", "sehr", "kann",  "einer", "des",  "ihre",  "werden"};
constexpr std::string_view kEnglish[] = {
    "the", "and",   "is",  "are", "of",   "to",  "that", "it",    "with",  "for",
    "on",  "this",  "be",  "as",  "by",   "not", "or",   "from",  "at",    "have",
    "has", "which", "you", "we",  "they", "can", "but",  "there", "their", "were"};

struct Language {
  std::string_view tag;
  const std::string_view* begin;
  const std::string_view* end;
};

constexpr std::array<Language, 2> kKnown{{
    {"de", std::begin(kGerman), std::end(kGerman)},
    {"en", std::begin(kEnglish), std::end(kEnglish)},
}};

// Fewer hits than this tell nothing: one "die" is no German.
constexpr int kEnoughHits = 3;

bool isWordByte(unsigned char c) { return std::isalpha(c) || c >= 0x80; }

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// The primary subtag of a `lang` value: "de" of "de-AT".
std::string primaryTag(std::string_view value) {
  const auto end = value.find_first_of("-_");
  return lower(value.substr(0, end));
}

// The value of a lang or xml:lang attribute inside one tag's text.
void declaredIn(std::string_view tag, std::vector<std::string>& declared) {
  // Attribute names in any case; the value is read from the tag as written.
  const std::string names = lower(tag);
  for (std::size_t at = names.find("lang"); at != std::string::npos;
       at = names.find("lang", at + 4)) {
    const char before = at > 0 ? tag[at - 1] : ' ';
    if (!(std::isspace(static_cast<unsigned char>(before)) || before == ':')) continue;
    std::size_t value = at + 4;
    while (value < tag.size() && std::isspace(static_cast<unsigned char>(tag[value]))) ++value;
    if (value >= tag.size() || tag[value] != '=') continue;
    ++value;
    while (value < tag.size() && std::isspace(static_cast<unsigned char>(tag[value]))) ++value;
    if (value >= tag.size()) return;
    const char quote = tag[value] == '"' || tag[value] == '\'' ? tag[value] : '\0';
    if (quote) ++value;
    std::size_t end = value;
    while (end < tag.size() &&
           (quote ? tag[end] != quote
                  : !std::isspace(static_cast<unsigned char>(tag[end])) && tag[end] != '>'))
      ++end;
    std::string primary = primaryTag(tag.substr(value, end - value));
    if (!primary.empty() &&
        std::all_of(primary.begin(), primary.end(),
                    [](char c) { return std::isalpha(static_cast<unsigned char>(c)); }) &&
        std::find(declared.begin(), declared.end(), primary) == declared.end())
      declared.push_back(std::move(primary));
  }
}

}  // namespace

std::vector<std::string> contentLanguages(std::string_view html) {
  std::vector<std::string> declared;
  std::array<int, kKnown.size()> hits{};
  std::size_t at = 0;
  while (at < html.size()) {
    if (html[at] == '<') {
      const std::size_t close = html.find('>', at);
      const std::size_t end = close == std::string_view::npos ? html.size() : close + 1;
      declaredIn(html.substr(at, end - at), declared);
      at = end;
      continue;
    }
    if (!isWordByte(static_cast<unsigned char>(html[at]))) {
      ++at;
      continue;
    }
    std::size_t end = at;
    while (end < html.size() && isWordByte(static_cast<unsigned char>(html[end]))) ++end;
    // Stop words are short; longer words need no comparison.
    if (end - at <= 6) {
      const std::string word = lower(html.substr(at, end - at));
      for (std::size_t i = 0; i < kKnown.size(); ++i) {
        if (std::find(kKnown[i].begin, kKnown[i].end, word) != kKnown[i].end) ++hits[i];
      }
    }
    at = end;
  }
  std::vector<std::pair<int, std::string_view>> found;
  for (std::size_t i = 0; i < kKnown.size(); ++i) {
    if (hits[i] >= kEnoughHits) found.emplace_back(hits[i], kKnown[i].tag);
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<std::string> languages = std::move(declared);
  for (const auto& [count, tag] : found) {
    if (std::find(languages.begin(), languages.end(), tag) == languages.end())
      languages.emplace_back(tag);
  }
  return languages;
}

}  // namespace pellora::content
