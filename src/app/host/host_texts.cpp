#include "app/host/host_texts.h"

#include <cstddef>

namespace pellora::host {

namespace {

struct Row {
  HostText id;
  const char* english;
  const char* german;
};

constexpr Row kTexts[] = {
    {HostText::SaveQuestion, "Save the changes to \xe2\x80\x9c%1\xe2\x80\x9d before closing?",
     "\xc3\x84nderungen an \xe2\x80\x9e%1\xe2\x80\x9c vor dem Schlie\xc3\x9f"
     "en speichern?"},
    {HostText::SaveQuestionHint, "If you don't save, your changes will be lost.",
     "Wenn Sie nicht speichern, gehen Ihre \xc3\x84nderungen verloren."},
    {HostText::SaveButton, "_Save", "_Speichern"},
    {HostText::DiscardButton, "Close _without Saving",
     "_Ohne Speichern schlie\xc3\x9f"
     "en"},
    {HostText::CancelButton, "_Cancel", "_Abbrechen"},
    {HostText::SavedPage, "Saved.", "Gespeichert."},
    {HostText::ClosedPage, "The editor is closed.", "Der Editor ist geschlossen."},
    {HostText::CloseWindowButton, "Close _Window",
     "_Fenster schlie\xc3\x9f"
     "en"},
    {HostText::LoadAgainButton, "_Load Again", "_Erneut laden"},
    {HostText::SaveButtonBar, "Save", "Speichern"},
    {HostText::CloseButtonBar, "Close",
     "Schlie\xc3\x9f"
     "en"},
    {HostText::SaveFailed, "The item could not be saved.",
     "Der Inhalt konnte nicht gespeichert werden."},
    {HostText::CloseFailed, "The editor could not be closed.",
     "Der Editor konnte nicht geschlossen werden."},
    {HostText::LoadFailed, "The item could not be loaded again.",
     "Der Inhalt konnte nicht erneut geladen werden."},
    {HostText::NotLoadedMark, " (not loaded)", " (nicht geladen)"},
};

}  // namespace

std::string_view hostText(HostText text, std::string_view languageCode) {
  for (const Row& row : kTexts) {
    if (row.id == text) return languageCode == "DE" ? row.german : row.english;
  }
  return {};
}

std::string windowTitle(const std::string& contentName, bool modified, bool notLoaded,
                        std::string_view languageCode) {
  if (contentName.empty()) return "Pellora";
  const std::string_view mark =
      notLoaded ? hostText(HostText::NotLoadedMark, languageCode) : std::string_view();
  // U+2022 marks unsaved edits, U+2014 separates the program's name.
  return (modified ? "\xe2\x80\xa2 " : "") + contentName + std::string(mark) +
         " \xe2\x80\x94 Pellora";
}

}  // namespace pellora::host
