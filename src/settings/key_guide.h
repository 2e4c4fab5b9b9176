// Every key the editor answers to, for the list F1 shows and for the tool
// buttons' tooltips ("Bold (Ctrl+B)"). The buttons' hints stay as they are:
// scripts and screen readers keep reading those. Windows-1252, like every
// text of the system; key names follow the interface language (Strg in
// German).
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace pellora {

enum class KeyGuideView { Both, Visual };

struct KeyGuideEntry {
  KeyGuideView view;
  std::string_view keys;     // English names, "Ctrl+Shift+Z, Ctrl+Y"
  std::string_view control;  // the tool button it acts as, if any
  std::string_view english;
  std::string_view german;
};

enum class KeyGuideText { Title, BothViews, VisualView, Close };

std::span<const KeyGuideEntry> keyGuide();

// `keys` with the key names of the interface language.
std::string keysInForce(std::string_view keys);

// What the entry does, in the interface language.
std::string_view keyAction(const KeyGuideEntry& entry);

// The keys of the tool button `control`, in the interface language; empty
// when it has none.
std::string toolButtonKeys(std::string_view control);

std::string_view keyGuideText(KeyGuideText text);

}  // namespace pellora
