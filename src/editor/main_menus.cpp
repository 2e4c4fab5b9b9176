// The right-click menus of the two views. The visual view's menu is handed
// to the surface at every right-click and its choices run the tool bar
// handlers, so they pass the same gate and undo logic as the buttons. The
// HTML view's popup acts on the source editor's text and selection directly
// and raises its change notification, as typing would.
// Covered by tests/editor/context_menus_test.cpp.
#include <algorithm>
#include <optional>
#include <string>

#include "editor/main_form.h"
#include "settings/lang.h"
#include "ui/services.h"

namespace pellora {

namespace {

// Index by index; an empty text is a separator. Windows-1252.
constexpr const char* kEnglishMenu[ui::kContextMenuSize] = {"Undo",  "",       "Cut", "Copy",
                                                            "Paste", "Delete", "",    "Select All"};
constexpr const char* kGermanMenu[ui::kContextMenuSize] = {
    "R\xFC"
    "ckg\xE4ngig",
    "",
    "Ausschneiden",
    "Kopieren",
    "Einf\xFCgen",
    "L\xF6schen",
    "",
    "Alles markieren"};

// The source editor's selection, held inside its text whatever the editor
// reports.
struct Selection {
  std::size_t start;
  std::size_t length;
};

Selection selectionOf(const ui::Control& editor) {
  const std::size_t size = editor.text().size();
  const std::size_t start = std::min<std::size_t>(std::max(editor.selStart(), 0), size);
  const std::size_t length = std::min<std::size_t>(std::max(editor.selLength(), 0), size - start);
  return {start, length};
}

// Replaces the selection with `text`, leaves the caret behind it and raises
// the change notification when the text changed.
void replaceSelection(ui::Control& editor, const std::string& text) {
  const Selection selection = selectionOf(editor);
  std::string content = editor.text();
  content.replace(selection.start, selection.length, text);
  const bool changed = content != editor.text();
  editor.setText(std::move(content));
  editor.setSelection(static_cast<int>(selection.start + text.size()), 0);
  if (changed && editor.onChange) editor.onChange();
}

std::string selectedText(const ui::Control& editor) {
  const Selection selection = selectionOf(editor);
  return editor.text().substr(selection.start, selection.length);
}

}  // namespace

// The position is not used: the surface shows the menu where it was asked.
void TMainForm::DHTMLEditShowContextMenu(int /*x*/, int /*y*/) {
  // Chosen at every right-click, so the language in force now counts.
  const auto& texts = LanguageCode() == "DE" ? kGermanMenu : kEnglishMenu;
  ui::ContextMenuStrings strings;
  ui::ContextMenuStates states;
  for (int i = 0; i < ui::kContextMenuSize; ++i) {
    strings[i] = texts[i];
    // Plain entries: an entry that cannot act does nothing when chosen.
    states[i] = 0;
  }
  DHTMLEdit().SetContextMenu(strings, states);
}

void TMainForm::DHTMLEditContextMenuAction(int itemIndex) {
  switch (itemIndex) {
    case 0:
      btnUndoClick();
      break;
    case 2:
      btnCutClick();
      break;
    case 3:
      btnCopyClick();
      break;
    case 4:
      btnPasteClick();
      break;
    case 5:
      btnDeleteClick();
      break;
    case 7:
      // Works although its tool button is hidden.
      btnSelAllClick();
      break;
    default:
      break;
  }
}

void TMainForm::MenuHtmlPopupPopup() {
  popHtmlPaste.setEnabled(false);
  popHtmlCut.setEnabled(false);
  popHtmlCopy.setEnabled(false);
  popHtmlDelete.setEnabled(false);
  // Empty text on the clipboard would paste nothing.
  const std::optional<std::string> clip = ui::platform().clipboard().text();
  if (clip && !clip->empty()) popHtmlPaste.setEnabled(true);
  if (selectionOf(mmoHTML).length > 0) {
    popHtmlCut.setEnabled(true);
    popHtmlCopy.setEnabled(true);
    popHtmlDelete.setEnabled(true);
  }
}

void TMainForm::popHtmlCutClick() {
  if (selectionOf(mmoHTML).length == 0) return;
  ui::platform().clipboard().setText(selectedText(mmoHTML));
  replaceSelection(mmoHTML, "");
}

void TMainForm::popHtmlCopyClick() {
  // No selection leaves the clipboard as it is.
  if (selectionOf(mmoHTML).length == 0) return;
  ui::platform().clipboard().setText(selectedText(mmoHTML));
}

void TMainForm::popHtmlPasteClick() {
  const std::optional<std::string> clip = ui::platform().clipboard().text();
  if (!clip) return;
  replaceSelection(mmoHTML, *clip);
}

void TMainForm::popHtmlDeleteClick() {
  if (selectionOf(mmoHTML).length == 0) return;
  replaceSelection(mmoHTML, "");
}

void TMainForm::popHtmlSelAllClick() {
  mmoHTML.setSelection(0, static_cast<int>(mmoHTML.text().size()));
}

}  // namespace pellora
