// The host window's own texts in the control's interface language (UTF-8):
// its title, the question before closing with unsaved edits, the page shown
// once the editor is closed, and the reports of failed calls.
#pragma once

#include <string>
#include <string_view>

namespace pellora::host {

enum class HostText {
  SaveQuestion,  // %1 the item's name
  SaveQuestionHint,
  SaveButton,
  DiscardButton,
  CancelButton,
  SavedPage,
  ClosedPage,
  CloseWindowButton,
  LoadAgainButton,
  SaveButtonBar,  // the page's own Save and Close buttons
  CloseButtonBar,
  SaveFailed,
  CloseFailed,
  LoadFailed,
  NotLoadedMark,  // after the item's name while its last load failed
};

// `text` in German when `languageCode` is "DE" (as the control compares
// it), else in English.
std::string_view hostText(HostText text, std::string_view languageCode);

// The window title: the item's name, marked while it has unsaved edits and
// while its last load failed (in the language of `languageCode`).
std::string windowTitle(const std::string& contentName, bool modified, bool notLoaded,
                        std::string_view languageCode);

}  // namespace pellora::host
