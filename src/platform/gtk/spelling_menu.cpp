#include "platform/gtk/spelling_menu.h"

#include <algorithm>

namespace pellora::gtk {

std::string spellingLanguage(const std::string& languageCode) {
  return languageCode == "DE" ? "de_DE" : "en_US";
}

std::vector<std::string> pickSuggestions(const std::vector<std::string>& guesses) {
  std::vector<std::string> picked;
  for (const std::string& guess : guesses) {
    if (picked.size() == kMaxSpellingSuggestions) break;
    if (guess.empty() || std::find(picked.begin(), picked.end(), guess) != picked.end()) continue;
    picked.push_back(guess);
  }
  return picked;
}

std::vector<MenuEntry> buildContextMenu(const std::vector<std::string>& suggestions,
                                        const ui::ContextMenuStrings& strings,
                                        const ui::ContextMenuStates& states) {
  std::vector<MenuEntry> entries;
  for (std::size_t i = 0; i < suggestions.size(); ++i) {
    entries.push_back({MenuEntry::Kind::Suggestion, suggestions[i], static_cast<int>(i), true});
  }
  std::vector<MenuEntry> own;
  bool anyOwn = false;
  for (int i = 0; i < ui::kContextMenuSize; ++i) {
    const std::string& text = strings[static_cast<std::size_t>(i)];
    if (text.empty()) {
      own.push_back({MenuEntry::Kind::Separator, {}, i, true});
      continue;
    }
    // Gray (1) or disabled (2) entries cannot be chosen.
    own.push_back(
        {MenuEntry::Kind::Entry, text, i, (states[static_cast<std::size_t>(i)] & 3) == 0});
    anyOwn = true;
  }
  if (!anyOwn) return entries;
  if (!entries.empty()) entries.push_back({MenuEntry::Kind::Separator, {}, -1, true});
  entries.insert(entries.end(), own.begin(), own.end());
  return entries;
}

}  // namespace pellora::gtk
