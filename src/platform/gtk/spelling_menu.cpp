#include "platform/gtk/spelling_menu.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace pellora::gtk {

std::string spellingLanguage(const std::string& languageCode) {
  return languageCode == "DE" ? "de_DE" : "en_US";
}

std::vector<std::string> spellingLanguages(const std::vector<std::string>& contentLanguages,
                                           const std::string& interfaceCode) {
  // The dictionaries the editor installs; others are left to the interface
  // language rather than risk a checker with no dictionary at all.
  static constexpr std::pair<std::string_view, std::string_view> kDictionaries[] = {
      {"de", "de_DE"}, {"en", "en_US"}};
  std::vector<std::string> languages;
  const auto add = [&languages](std::string_view dictionary) {
    if (std::find(languages.begin(), languages.end(), dictionary) == languages.end())
      languages.emplace_back(dictionary);
  };
  for (const std::string& language : contentLanguages) {
    for (const auto& [tag, dictionary] : kDictionaries) {
      if (language == tag) add(dictionary);
    }
  }
  add(spellingLanguage(interfaceCode));
  return languages;
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
                                        const ui::ContextMenuStates& states,
                                        const SpellingActions& misspelt) {
  std::vector<MenuEntry> entries;
  for (std::size_t i = 0; i < suggestions.size(); ++i) {
    entries.push_back({MenuEntry::Kind::Suggestion, suggestions[i], static_cast<int>(i), true});
  }
  if (!misspelt.learnLabel.empty())
    entries.push_back({MenuEntry::Kind::Learn, misspelt.learnLabel, -1, true});
  if (!misspelt.ignoreLabel.empty())
    entries.push_back({MenuEntry::Kind::Ignore, misspelt.ignoreLabel, -1, true});
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
