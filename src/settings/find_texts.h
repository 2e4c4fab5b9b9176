// The texts of the editor's find bar and status line, which are additions
// around the forms and so no caption of one. They follow the interface
// language in force when the editor is bound. Windows-1252, like every
// text of the system; "%1", "%2" stand for the values (see fillIn).
#pragma once

#include <string>
#include <string_view>

namespace pellora {

enum class FindText {
  FindPlaceholder,
  ReplacePlaceholder,
  Next,  // tooltips of the arrow buttons, naming their keys
  Previous,
  Close,
  Replace,
  ReplaceAll,
  MatchCase,
  WholeWords,
  MatchOf,  // %1 the current match, %2 the number of matches
  Matches,  // %1 the number of matches, none of them current
  NoMatch,
  Replaced,  // %1 how many were replaced
  // The status line: %1 words, %2 characters; with a selection %1, %2 of
  // the selection and %3, %4 of the document.
  Counts,
  SelectionCounts,
};

// The text in the language in force (see LanguageCode).
std::string_view findText(FindText text);

// A count as the interface language writes it: 12,345 or 12.345.
std::string groupedNumber(long long value);

}  // namespace pellora
