#include "settings/key_guide.h"

#include "settings/lang.h"

namespace pellora {

namespace {

using View = KeyGuideView;

// Windows-1252: E4 ä, F6 ö, FC ü, DF ß.
constexpr KeyGuideEntry kEntries[] = {
    {View::Both, "Ctrl+Z", "btnUndo", "Undo",
     "R\xFC"
     "ckg\xE4ngig"},
    {View::Both, "Ctrl+Shift+Z", "", "Redo", "Wiederholen"},
    {View::Both, "Ctrl+X", "btnCut", "Cut", "Ausschneiden"},
    {View::Both, "Ctrl+C", "btnCopy", "Copy", "Kopieren"},
    {View::Both, "Ctrl+V", "btnPaste", "Paste", "Einf\xFCgen"},
    {View::Both, "Ctrl+A", "", "Select all", "Alles markieren"},
    {View::Both, "Ctrl+F", "", "Find", "Suchen"},
    {View::Both, "Ctrl+H", "", "Find and replace", "Suchen und ersetzen"},
    {View::Both, "F3, Shift+F3", "", "Next or previous match",
     "N\xE4"
     "chster oder voriger Treffer"},
    {View::Both, "Ctrl+plus, Ctrl+minus, Ctrl+0", "", "Zoom in, zoom out, normal size",
     "Vergr\xF6\xDF"
     "ern, verkleinern, Normalgr\xF6\xDF"
     "e"},
    {View::Both, "Ctrl+wheel", "", "Zoom", "Zoomen"},
    {View::Both, "Menu, Shift+F10", "", "Context menu", "Kontextmen\xFC"},
    {View::Both, "F1, Ctrl+?", "", "This list of keys", "Diese Liste der Tasten"},
    {View::Visual, "Ctrl+B", "btnBold", "Bold", "Fett"},
    {View::Visual, "Ctrl+I", "btnItalic", "Italic", "Kursiv"},
    {View::Visual, "Ctrl+U", "btnUnderline", "Underline", "Unterstrichen"},
    {View::Visual, "Ctrl+K", "btnLink", "Insert or edit a link",
     "Link einf\xFCgen oder bearbeiten"},
    {View::Visual, "Ctrl+Y", "", "Redo", "Wiederholen"},
    {View::Visual, "Ctrl+Shift+V", "", "Paste as plain text", "Als reinen Text einf\xFCgen"},
    {View::Visual, "Tab, Shift+Tab", "", "Next or previous table cell",
     "N\xE4"
     "chste oder vorige Tabellenzelle"},
    {View::Visual, "F6, Ctrl+Tab", "", "To the tool bars and back",
     "Zu den Werkzeugleisten und zur\xFC"
     "ck"},
};

constexpr BilingualText<KeyGuideText> kTexts[] = {
    {KeyGuideText::Title, "Keys", "Tasten"},
    {KeyGuideText::BothViews, "In both views", "In beiden Ansichten"},
    {KeyGuideText::VisualView, "In the visual view", "In der Editor-Ansicht"},
    {KeyGuideText::Close, "Close",
     "Schlie\xDF"
     "en"},
};

// German names of the keys that have one; the others read the same.
constexpr std::pair<std::string_view, std::string_view> kGermanKeyNames[] = {
    {"Ctrl", "Strg"},         {"Shift", "Umschalt"}, {"wheel", "Mausrad"},
    {"Menu", "Men\xFCtaste"}, {"plus", "Plus"},      {"minus", "Minus"},
};

}  // namespace

std::span<const KeyGuideEntry> keyGuide() { return kEntries; }

std::string keysInForce(std::string_view keys) {
  std::string shown(keys);
  if (LanguageCode() != "DE") return shown;
  for (const auto& [english, german] : kGermanKeyNames) {
    for (std::size_t at = shown.find(english); at != std::string::npos;
         at = shown.find(english, at + german.size())) {
      shown.replace(at, english.size(), german);
    }
  }
  return shown;
}

std::string_view keyAction(const KeyGuideEntry& entry) {
  return LanguageCode() == "DE" ? entry.german : entry.english;
}

std::string toolButtonKeys(std::string_view control) {
  for (const KeyGuideEntry& entry : kEntries) {
    if (!entry.control.empty() && entry.control == control) return keysInForce(entry.keys);
  }
  return {};
}

std::string_view keyGuideText(KeyGuideText text) { return textInForce(kTexts, text); }

}  // namespace pellora
