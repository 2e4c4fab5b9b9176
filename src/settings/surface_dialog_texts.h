// The texts of the visual view's own dialogs (link, image, font), which
// stand in for the editing engine's dialogs and so are no form of ours.
// They follow the interface language each time a dialog opens, as the
// context menu does. Windows-1252, like every text of the system.
#pragma once

#include <string_view>

namespace pellora {

enum class SurfaceDialogText {
  Ok,
  Cancel,
  LinkTitle,
  LinkEditTitle,  // the caret stands in a link already
  LinkAddress,
  ImageTitle,
  ImageFile,
  ImageChooserTitle,
  ImageChooserOpen,
  ImageNoFile,
  ImageFilter,
  ImageAddress,
  ImageAlt,
  ImageWidth,
  ImageHeight,
  ImageSizeHint,
  ImagePreview,
  FontTitle,
  FontFamily,
  FontSize,
  FontSizeHint,
  FontColour,
  FontSample,
  FontSearch,
  SpellingLearn,   // the context menu's entries for a misspelt word
  SpellingIgnore,  // the chooser's preview line, every letter of the alphabet
};

// The text in the language in force (see LanguageCode).
std::string_view surfaceDialogText(SurfaceDialogText text);

}  // namespace pellora
