// The spelling part of the visual view's context menu, free of GTK: which
// of the engine's guesses are offered, in what order, and how they stand
// above the editor's own entries. The editor's entries keep their order and
// indices whatever is offered above them.
#pragma once

#include <string>
#include <vector>

#include "ui/editing_surface.h"

namespace pellora::gtk {

inline constexpr std::size_t kMaxSpellingSuggestions = 5;

// The dictionary for the interface language: German for "DE", else English.
std::string spellingLanguage(const std::string& languageCode);

// The dictionaries for an item: those of its languages (see
// content::contentLanguages) this editor has, in their order, then the
// interface language's. A word any of them knows is no error; the first
// one's guesses come first.
std::vector<std::string> spellingLanguages(const std::vector<std::string>& contentLanguages,
                                           const std::string& interfaceCode);

// The engine's guesses in its order, empty and repeated ones dropped, at
// most kMaxSpellingSuggestions.
std::vector<std::string> pickSuggestions(const std::vector<std::string>& guesses);

struct MenuEntry {
  // Learn and Ignore act on the misspelt word the menu was opened on.
  enum class Kind { Suggestion, Learn, Ignore, Separator, Entry };
  Kind kind = Kind::Separator;
  std::string label;
  // The editor's action index for Entry, the suggestion's position for
  // Suggestion.
  int index = 0;
  bool enabled = true;
};

// Suggestions first, then for a misspelt word "Add to Dictionary" and
// "Ignore" (`learnLabel`, `ignoreLabel`; none when empty), then a separator
// and the editor's entries exactly as before (an empty string is a
// separator; states 1 and 2 gray an entry). Empty when nothing is to be
// offered.
struct SpellingActions {
  std::string learnLabel;
  std::string ignoreLabel;
};
std::vector<MenuEntry> buildContextMenu(const std::vector<std::string>& suggestions,
                                        const ui::ContextMenuStrings& strings,
                                        const ui::ContextMenuStates& states,
                                        const SpellingActions& misspelt = {});

}  // namespace pellora::gtk
