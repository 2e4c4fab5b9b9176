// Covered by tests/settings/find_texts_test.cpp.
#include "settings/find_texts.h"

#include "settings/lang.h"

namespace pellora {

namespace {

// Windows-1252: E4 ä, F6 ö, FC ü, DF ß.
constexpr BilingualText<FindText> kTexts[] = {
    {FindText::FindPlaceholder, "Find", "Suchen"},
    {FindText::ReplacePlaceholder, "Replace with", "Ersetzen durch"},
    {FindText::Next, "Next match (Enter, F3)",
     "N\xE4"
     "chster Treffer (Eingabe, F3)"},
    {FindText::Previous, "Previous match (Shift+Enter, Shift+F3)",
     "Vorheriger Treffer (Umschalt+Eingabe, Umschalt+F3)"},
    {FindText::Close, "Close (Esc)",
     "Schlie\xDF"
     "en (Esc)"},
    {FindText::Replace, "Replace", "Ersetzen"},
    {FindText::ReplaceAll, "Replace All", "Alle ersetzen"},
    {FindText::MatchCase, "Match case", "Gro\xDF-/Kleinschreibung"},
    {FindText::WholeWords, "Whole words", "Ganze W\xF6rter"},
    {FindText::MatchOf, "%1 of %2", "%1 von %2"},
    {FindText::Matches, "%1 matches", "%1 Treffer"},
    {FindText::NoMatch, "No matches", "Keine Treffer"},
    {FindText::Replaced, "%1 replaced", "%1 ersetzt"},
    {FindText::Counts, "Words: %1   Characters: %2", "W\xF6rter: %1   Zeichen: %2"},
    {FindText::SelectionCounts, "Words: %1 of %3   Characters: %2 of %4",
     "W\xF6rter: %1 von %3   Zeichen: %2 von %4"},
};

}  // namespace

std::string_view findText(FindText text) { return textInForce(kTexts, text); }

std::string groupedNumber(long long value) {
  const char separator = LanguageCode() == "DE" ? '.' : ',';
  const bool negative = value < 0;
  std::string digits = std::to_string(negative ? -value : value);
  for (auto at = static_cast<long>(digits.size()) - 3; at > 0; at -= 3)
    digits.insert(static_cast<std::size_t>(at), 1, separator);
  return negative ? "-" + digits : digits;
}

}  // namespace pellora
