// The interface language. English texts are the forms' design texts; German
// is obtained by overwriting a fixed set of them once, when a control has
// created all its forms. `LanguageCode` decides which: "DE" (compared
// exactly) means German, anything else, including the empty start value,
// English. It lives for the whole process and only ever goes from empty to
// "DE", so a language stored later takes effect in a later control, and a
// change back to English only in a fresh process.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

#include "ui/form.h"

namespace pellora {

const std::string& LanguageCode();
// Set by the settings dialog's creation when German is stored; the only way
// the code ever changes.
void selectGermanLanguage();
// Back to the empty start value, as in a fresh process. Tests only.
void resetLanguageCodeForTesting();

// The forms of one control whose texts the German table overwrites.
struct GermanTextTargets {
  ui::Form& mainForm;
  ui::Form& tableForm;
  ui::Form& uploadForm;
  ui::Form& aboutForm;
  ui::Form& optionsForm;
};

// With German in force, sets every German caption and hint in table order;
// otherwise leaves the English design texts. Texts are Windows-1252.
void ApplyGermanTexts(const GermanTextTargets& forms);

// Texts that are no caption of a form but are built into entries at run
// time, in the language in force (Windows-1252).
enum class LanguageText {
  // Marks an image dialog entry whose local file the loaded item named.
  CameWithTheItem,
  // The journal of unsaved edits. "%1", "%2", "%3" stand for the values
  // the message names; the time format is strftime's.
  DraftRestoreQuestion,  // %1 content name, %2 when the draft was written
  DraftRestoreTitle,
  DraftRestoreButton,  // the question's answers, "&" marking the access key
  DraftDiscardButton,
  DraftLaterButton,
  DraftTimeFormat,
  DraftUnreadable,     // %1 content name, %2 why, %3 where the file was put
  DraftNotWritten,     // %1 content name, %2 why
  DraftOlderOnes,      // %1 how many older drafts follow the one asked about
  DraftFolderRefused,  // %1 the folder
  // The editor's notice of a load that failed: %1 content name, %2 why.
  ItemNotLoaded,
  // A save after a load that failed. %1 content name.
  UnloadedItemReload,   // nothing typed: load again?
  UnloadedItemReplace,  // content typed: replace the stored item with it?
  UnloadedItemTitle,
  UnloadedItemReloadButton,  // the question's answers, "&" marking the access key
  UnloadedItemReplaceButton,
  UnloadedItemCancelButton,
  // Upload entries whose name is taken: %1 the name it goes to, %2 the
  // name it would have had.
  UploadRenamedOnServer,
  UploadRenamedInSave,
  UploadReplaceOption,  // %1 the server's image the user may replace
  NoFreeImageName,      // %1 the wanted name
  // Pasted and dropped images. %1 the limit or the reason.
  PastedImageTooLarge,
  PastedImageTooMany,
  PastedImageNotAnImage,
  PastedImageNotKept,
  TemporaryImageAddress,
};
std::string_view languageText(LanguageText text);
// The text with "%1", "%2", ... replaced by `values` in order.
std::string languageText(LanguageText text, std::initializer_list<std::string_view> values);
// `pattern` with "%1", "%2", ... replaced by `values` in order.
std::string fillIn(std::string_view pattern, std::initializer_list<std::string_view> values);

// One text built in at run time, in both languages (Windows-1252).
template <typename Id>
struct BilingualText {
  Id id;
  std::string_view english;
  std::string_view german;
};

// The text of `id` in `table`, in the language in force when asked.
template <typename Id, std::size_t N>
std::string_view textInForce(const BilingualText<Id> (&table)[N], Id id) {
  for (const BilingualText<Id>& row : table) {
    if (row.id == id) return LanguageCode() == "DE" ? row.german : row.english;
  }
  throw std::logic_error("A text is missing from its table.");
}

}  // namespace pellora
