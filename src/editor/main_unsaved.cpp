// Whether the editor holds edits that the server has not stored: the body
// as it was loaded or last saved is kept as the view gave it, and compared
// with what the view holds now. A host asks this before it closes the
// editor, and at every change to mark its title.
#include <exception>

#include "editor/main_form.h"
#include "images/images.h"

namespace pellora {

void TMainForm::expectLoadedBody() {
  unsaved_ = {};
  unsaved_.referencePending = true;
}

void TMainForm::takeLoadedBody() {
  if (!unsaved_.referencePending) return;
  std::optional<BodySnapshot> loaded = journalSnapshot();
  if (!loaded) return;  // still loading: the next completion takes it
  unsaved_ = {};
  unsaved_.reference = std::move(loaded);
  // An item may name local files in spellings a scan of its text misses but
  // the engine spells out; what the view holds now came with the item.
  if (imageTransfer) imageTransfer->NoteLoadedDocument(unsaved_.reference->text);
}

void TMainForm::takeSavedBody(std::optional<BodySnapshot> saved) {
  if (!saved) return;
  unsaved_ = {};
  unsaved_.reference = std::move(saved);
}

bool TMainForm::HasUnsavedEdits() {
  if (!unsaved_.reference || unsaved_.referencePending) return false;
  const std::optional<BodySnapshot> now = journalSnapshot();
  // A document still being built keeps the last answer.
  if (!now) return unsaved_.lastAnswer;
  const BodySnapshot& reference = *unsaved_.reference;
  if (now->kind == reference.kind) {
    unsaved_.lastText.reset();
    return unsaved_.lastAnswer = now->text != reference.text;
  }
  // Taken in the other view: compared as a save would send them, which
  // costs a body extraction, so only when the text changed since.
  if (now->text == unsaved_.lastText) return unsaved_.lastAnswer;
  if (!unsaved_.referenceFinished) unsaved_.referenceFinished = finishedBody(reference);
  unsaved_.lastText = now->text;
  return unsaved_.lastAnswer = finishedBody(*now) != *unsaved_.referenceFinished;
}

void TMainForm::documentStateChanged() {
  if (!onDocumentStateChanged) return;
  // A host's observer must not break the editing step that told it.
  try {
    onDocumentStateChanged();
  } catch (const std::exception&) {
  }
}

}  // namespace pellora
