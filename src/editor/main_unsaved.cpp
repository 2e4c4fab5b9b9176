// Whether the editor holds edits that the server has not stored: the body
// as it was loaded or last saved is kept as the view gave it, and compared
// with what the view holds now. A host asks this before it closes the
// editor, and when told of a change, to mark its title. Edits of the visual
// view are compared once they pause; until then the body's generation says
// whether anything changed.
#include <chrono>
#include <exception>

#include "editor/main_form.h"
#include "exchange/editing_context.h"
#include "images/images.h"
#include "ui/services.h"

namespace pellora {

namespace {

constexpr int kHtmlPage = 1;
// How long edits pause before the bodies are compared: longer than the
// gap between keys of someone typing.
constexpr std::chrono::milliseconds kConfirmDelay{300};

}  // namespace

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
  const std::optional<std::uint64_t> generation = snapshotGeneration();
  if (!generation || generation != unsaved_.answeredAt) {
    // Changed since the last answer: unsaved until the pause confirms it.
    if (generation && confirmTimer_) return unsaved_.told = true;
    unsaved_.lastAnswer = compareUnsaved();
    unsaved_.answeredAt = generation;
  }
  return unsaved_.told = unsaved_.lastAnswer;
}

// The generation of what journalSnapshot reads: the visual view's body,
// unless the HTML view's edited text stands for it (which has none).
std::optional<std::uint64_t> TMainForm::snapshotGeneration() {
  if (PageControl.activePageIndex() != kHtmlPage || !SourceModified) {
    ui::EditingSurface& surface = DHTMLEdit();
    if (ui::HtmlDocument* document = surface.DOM(); document && !surface.Busy())
      return document->bodyGeneration();
  }
  return std::nullopt;
}

bool TMainForm::compareUnsaved() {
  const std::optional<BodySnapshot> now = journalSnapshot();
  // A document still being built keeps the last answer.
  if (!now) return unsaved_.lastAnswer;
  const BodySnapshot& reference = *unsaved_.reference;
  if (now->kind == reference.kind) {
    unsaved_.lastText.reset();
    return now->text != reference.text;
  }
  // Taken in the other view: compared as a save would send them, which
  // costs a body extraction, so only when the text changed since.
  if (now->text == unsaved_.lastText) return unsaved_.lastAnswer;
  if (!unsaved_.referenceFinished) unsaved_.referenceFinished = finishedBody(reference);
  unsaved_.lastText = now->text;
  return finishedBody(*now) != *unsaved_.referenceFinished;
}

void TMainForm::confirmWhenIdle() {
  ui::Timers* timers = ui::hasPlatform() ? ui::platform().timers() : nullptr;
  if (!timers) return;  // then every answer compares the bodies
  // Restarted by every change: the comparison waits for a pause.
  confirmTimer_ = timers->startTimer(kConfirmDelay, [this] { confirmChanges(); });
}

void TMainForm::confirmChanges() {
  confirmTimer_.reset();
  ui::EditingSurface& surface = DHTMLEdit();
  ui::HtmlDocument* document = surface.DOM();
  // The undo button belongs to the visual view: confirmed only there.
  if (document && !surface.Busy() && !UndoSnapshotPending &&
      PageControl.activePageIndex() != kHtmlPage) {
    const std::optional<std::uint64_t> generation = document->bodyGeneration();
    const bool same = editingContext().UndoBody == document->bodyInnerHTML();
    (same ? undoGeneration_ : undoDiffersAt_) = generation;
    btnUndo.setEnabled(!same);
  }
  documentStateChanged();
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
