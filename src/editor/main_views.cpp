// The two views of the editor form and what ties them together: the switch
// between the visual and the HTML view, source edits, and the undo snapshot.
#include "content/extract_body.h"
#include "editor/main_form.h"
#include "exchange/document_template.h"
#include "exchange/editing_context.h"

namespace pellora {

namespace {
constexpr int kEditorPage = 0;
}

void TMainForm::bindViewHandlers() {
  DHTMLEdit().setClient(&surfaceEvents_);
  PageControl.onChanging = [this] { PageControlChanging(); };
  mmoHTML.onChange = [this] { mmoHTMLChange(); };
  btnUndo.onClick = [this] { btnUndoClick(); };
}

void TMainForm::SurfaceEvents::onDocumentComplete() { form_.DHTMLEditDocumentComplete(); }
void TMainForm::SurfaceEvents::onDisplayChanged() { form_.DHTMLEditDisplayChanged(); }
void TMainForm::SurfaceEvents::onShowContextMenu(int x, int y) {
  form_.DHTMLEditShowContextMenu(x, y);
}
void TMainForm::SurfaceEvents::onContextMenuAction(int itemIndex) {
  form_.DHTMLEditContextMenuAction(itemIndex);
}
bool TMainForm::SurfaceEvents::onShortcut(ui::SurfaceShortcut shortcut) {
  form_.DHTMLEditShortcut(shortcut);
  return true;
}

void TMainForm::DHTMLEditDocumentComplete() {
  DocumentReady = true;
  UndoSnapshotPending = true;
  HtmlDocument = DHTMLEdit().DOM();
  FillStylesList();
  takeLoadedBody();
  journalDocumentCompleted();
  documentStateChanged();
}

// Runs while the old page is still active.
void TMainForm::PageControlChanging() {
  EditingContext& context = editingContext();
  if (PageControl.activePageIndex() == kEditorPage) {
    // Unlike saving, the surface's own filter is not applied here.
    context.ContentBody = content::ExtractBody(DHTMLEdit().DocumentHTML());
    mmoHTML.resetText(context.ContentBody);
    context.UndoBody = context.ContentBody;
    undoGeneration_.reset();
    undoDiffersAt_.reset();
    CoolBar.setVisible(false);
    // After filling, so the fill itself does not count as an edit.
    SourceModified = false;
  } else {
    if (SourceModified) {
      context.ContentBody = mmoHTML.text();
      DHTMLEdit().setDocumentHTML(wrapInDocumentTemplate(context.ContentBody));
    }
    CoolBar.setVisible(true);
    UndoSnapshotPending = true;
  }
}

void TMainForm::mmoHTMLChange() {
  SourceModified = true;
  // Taken whole only when the context is next read, not on every keystroke.
  followContentBody([this] { return mmoHTML.text(); });
  journalChanged();
  documentStateChanged();
}

void TMainForm::UndoSnapshot() {
  // Set once: a button that flickers off and on is drawn twice per key.
  btnUndo.setEnabled(undoable());
}

bool TMainForm::undoable() {
  if (DHTMLEdit().Busy()) return false;
  ui::HtmlDocument* document = DHTMLEdit().DOM();
  if (!document) return false;
  EditingContext& context = editingContext();
  const std::optional<std::uint64_t> generation = document->bodyGeneration();
  if (UndoSnapshotPending && !SourceModified) {
    context.UndoBody = document->bodyInnerHTML();
    undoGeneration_ = generation;
    undoDiffersAt_.reset();
    UndoSnapshotPending = false;
  }
  if (!generation) return context.UndoBody != document->bodyInnerHTML();
  // A body compared before needs no comparison; a change reads as undoable
  // until the pause after it compares the bodies.
  if (generation == undoGeneration_) return false;
  if (generation != undoDiffersAt_) confirmWhenIdle();
  return true;
}

void TMainForm::btnUndoClick() {
  EditingContext& context = editingContext();
  if (SourceModified) {
    // Back to the body as it was when the HTML view was last opened.
    DHTMLEdit().setDocumentHTML(wrapInDocumentTemplate(context.UndoBody));
    SourceModified = false;
  } else {
    ExecEditorCommand(ui::DECMD_UNDO, ui::OLECMDEXECOPT_DODEFAULT, {});
    if (ui::HtmlDocument* document = DHTMLEdit().DOM()) {
      context.UndoBody = document->bodyInnerHTML();
      undoGeneration_ = document->bodyGeneration();
      undoDiffersAt_.reset();
    }
  }
  btnUndo.setEnabled(false);
}

}  // namespace pellora
