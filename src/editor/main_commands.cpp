// The command gate of the editor, the paragraph style list, and the handlers
// of the tool bar buttons: formatting, clipboard, the surface's own dialogs,
// the two view aids and the two buttons that open other dialogs. Handlers
// catch nothing; a failure reaches the framework's error report.
// Covered by tests/editor/commands_test.cpp.
#include <algorithm>
#include <stdexcept>
#include <string>

#include "content/case_map.h"
#include "editor/main_form.h"
#include "settings/about.h"
#include "settings/options.h"
#include "ui/services.h"

namespace pellora {

namespace {

constexpr int IDM_GETBLOCKFMTS = 2233;
// Result codes of a document command.
constexpr int S_OK = 0;
constexpr int E_FAIL = static_cast<int>(0x80004005u);
constexpr int OLECMDERR_E_NOTSUPPORTED = static_cast<int>(0x80040100u);

std::string lowerCase(std::string text) {
  for (char& c : text) {
    c = static_cast<char>(content::toLowerCp1252(static_cast<unsigned char>(c)));
  }
  return text;
}

// The order of a sorted list control: letters compared regardless of case,
// ties broken by the bytes so the order is total.
bool listOrder(const std::string& a, const std::string& b) {
  const std::string la = lowerCase(a);
  const std::string lb = lowerCase(b);
  return la != lb ? la < lb : a < b;
}

// What a drop-down list shows: its chosen item, else its text.
std::string comboText(const ui::Control& combo) {
  const int index = combo.itemIndex();
  if (index >= 0 && index < static_cast<int>(combo.items().size())) return combo.items()[index];
  return combo.text();
}

void showDialog(ui::Form* form, const char* what) {
  if (!form) throw std::logic_error(std::string("the ") + what + " has not been created");
  ui::platform().modal().showModal(*form);
}

}  // namespace

int TMainForm::QueryEditorStatus(int cmdID) { return DHTMLEdit().QueryStatus(cmdID); }

void TMainForm::ExecEditorCommand(int cmdID, int cmdexecopt, const ui::CommandArg& pInVar) {
  if (!DocumentReady) return;
  // A mask, unlike the state tracking: enabled, latched and ninched commands
  // all run, so a latched bold switches bold off.
  if ((QueryEditorStatus(cmdID) & ui::DECMDF_ENABLED) != ui::DECMDF_ENABLED) return;
  DHTMLEdit().ExecCommand(cmdID, cmdexecopt, pInVar);
}

int TMainForm::ExecDocumentCommand(int cmdID, std::vector<std::string>& output) {
  if (cmdID != IDM_GETBLOCKFMTS) return OLECMDERR_E_NOTSUPPORTED;
  if (!HtmlDocument) return E_FAIL;
  // A failed query is a result code like any other: the style list then
  // stays empty until a later load fills it.
  try {
    output = HtmlDocument->blockFormats();
  } catch (const std::exception&) {
    return E_FAIL;
  }
  return S_OK;
}

void TMainForm::FillStylesList() {
  if (!cmbStyles.items().empty()) return;
  std::vector<std::string> formats;
  if (ExecDocumentCommand(IDM_GETBLOCKFMTS, formats) != S_OK) return;
  // The combo is a sorted list: the order the surface returns does not matter.
  std::sort(formats.begin(), formats.end(), listOrder);
  cmbStyles.setItems(std::move(formats));
}

void TMainForm::btnBoldClick() {
  ExecEditorCommand(ui::DECMD_BOLD, ui::OLECMDEXECOPT_DONTPROMPTUSER, {});
}
void TMainForm::btnItalicClick() {
  ExecEditorCommand(ui::DECMD_ITALIC, ui::OLECMDEXECOPT_DONTPROMPTUSER, {});
}
void TMainForm::btnUnderlineClick() {
  ExecEditorCommand(ui::DECMD_UNDERLINE, ui::OLECMDEXECOPT_DONTPROMPTUSER, {});
}
void TMainForm::btnCutClick() {
  ExecEditorCommand(ui::DECMD_CUT, ui::OLECMDEXECOPT_DONTPROMPTUSER, {});
}
void TMainForm::btnCopyClick() {
  ExecEditorCommand(ui::DECMD_COPY, ui::OLECMDEXECOPT_DONTPROMPTUSER, {});
}
void TMainForm::btnPasteClick() {
  ExecEditorCommand(ui::DECMD_PASTE, ui::OLECMDEXECOPT_DONTPROMPTUSER, {});
}
void TMainForm::btnDeleteClick() {
  ExecEditorCommand(ui::DECMD_DELETE, ui::OLECMDEXECOPT_DONTPROMPTUSER, {});
}
void TMainForm::btnSelAllClick() {
  ExecEditorCommand(ui::DECMD_SELECTALL, ui::OLECMDEXECOPT_DONTPROMPTUSER, {});
}
void TMainForm::btnAlLeftClick() {
  ExecEditorCommand(ui::DECMD_JUSTIFYLEFT, ui::OLECMDEXECOPT_DONTPROMPTUSER, {});
}
void TMainForm::btnAlCenterClick() {
  ExecEditorCommand(ui::DECMD_JUSTIFYCENTER, ui::OLECMDEXECOPT_DONTPROMPTUSER, {});
}
void TMainForm::btnAlRightClick() {
  ExecEditorCommand(ui::DECMD_JUSTIFYRIGHT, ui::OLECMDEXECOPT_DONTPROMPTUSER, {});
}
void TMainForm::btnListOLClick() {
  ExecEditorCommand(ui::DECMD_ORDERLIST, ui::OLECMDEXECOPT_DONTPROMPTUSER, {});
}
void TMainForm::btnListULClick() {
  ExecEditorCommand(ui::DECMD_UNORDERLIST, ui::OLECMDEXECOPT_DONTPROMPTUSER, {});
}
void TMainForm::btnIndentLeftClick() {
  ExecEditorCommand(ui::DECMD_OUTDENT, ui::OLECMDEXECOPT_DONTPROMPTUSER, {});
}
void TMainForm::btnIndentRightClick() {
  ExecEditorCommand(ui::DECMD_INDENT, ui::OLECMDEXECOPT_DONTPROMPTUSER, {});
}
// The surface shows its own dialog for these three.
void TMainForm::btnLinkClick() {
  ExecEditorCommand(ui::DECMD_HYPERLINK, ui::OLECMDEXECOPT_PROMPTUSER, {});
}
void TMainForm::btnImageClick() {
  ExecEditorCommand(ui::DECMD_IMAGE, ui::OLECMDEXECOPT_PROMPTUSER, {});
}
void TMainForm::btnColorClick() {
  ExecEditorCommand(ui::DECMD_FONT, ui::OLECMDEXECOPT_DODEFAULT, {});
}

// The name goes to the surface unchanged; the surface decides what it means.
void TMainForm::cmbStylesChange() {
  ExecEditorCommand(ui::DECMD_SETBLOCKFMT, ui::OLECMDEXECOPT_DODEFAULT, comboText(cmbStyles));
}

void TMainForm::btnDetailClick() { DHTMLEdit().setShowDetails(btnDetail.down()); }

// Only white turns black; anything else, an empty colour included, turns
// white. The colour sits on the body tag, so it never reaches the content.
void TMainForm::btnBackColorClick() {
  // The surface's current document, not the cached one.
  ui::HtmlDocument* document = DHTMLEdit().DOM();
  // Before the first load there is no background to toggle.
  if (!document) return;
  const bool white = lowerCase(document->bgColor()) == "#ffffff";
  document->setBgColor(white ? "#000000" : "#ffffff");
}

void TMainForm::btnOptionsClick() { showDialog(dialogs.OptionsForm, "settings dialog"); }
void TMainForm::btnAboutClick() { showDialog(dialogs.AboutForm, "about box"); }

void TMainForm::bindCommandHandlers() {
  const std::pair<ui::Control*, void (TMainForm::*)()> clicks[] = {
      {&btnBold, &TMainForm::btnBoldClick},
      {&btnItalic, &TMainForm::btnItalicClick},
      {&btnUnderline, &TMainForm::btnUnderlineClick},
      {&btnCut, &TMainForm::btnCutClick},
      {&btnCopy, &TMainForm::btnCopyClick},
      {&btnPaste, &TMainForm::btnPasteClick},
      {&btnDelete, &TMainForm::btnDeleteClick},
      {&btnSelAll, &TMainForm::btnSelAllClick},
      {&btnAlLeft, &TMainForm::btnAlLeftClick},
      {&btnAlCenter, &TMainForm::btnAlCenterClick},
      {&btnAlRight, &TMainForm::btnAlRightClick},
      {&btnListOL, &TMainForm::btnListOLClick},
      {&btnListUL, &TMainForm::btnListULClick},
      {&btnIndentLeft, &TMainForm::btnIndentLeftClick},
      {&btnIndentRight, &TMainForm::btnIndentRightClick},
      {&btnLink, &TMainForm::btnLinkClick},
      {&btnImage, &TMainForm::btnImageClick},
      {&btnColor, &TMainForm::btnColorClick},
      {&btnDetail, &TMainForm::btnDetailClick},
      {&btnBackColor, &TMainForm::btnBackColorClick},
      {&btnOptions, &TMainForm::btnOptionsClick},
      {&btnAbout, &TMainForm::btnAboutClick},
      {&btnTable, &TMainForm::btnTableClick},
      {&btnTableInsRow, &TMainForm::btnTableInsRowClick},
      {&btnTableDelRow, &TMainForm::btnTableDelRowClick},
      {&btnTableInsCol, &TMainForm::btnTableInsColClick},
      {&btnTableDelCol, &TMainForm::btnTableDelColClick},
      {&btnTableMergeCell, &TMainForm::btnTableMergeCellClick},
      {&btnTableSplitCell, &TMainForm::btnTableSplitCellClick},
      // A popup menu is "clicked" when it opens.
      {&MenuHtmlPopup, &TMainForm::MenuHtmlPopupPopup},
      {&popHtmlCut, &TMainForm::popHtmlCutClick},
      {&popHtmlCopy, &TMainForm::popHtmlCopyClick},
      {&popHtmlPaste, &TMainForm::popHtmlPasteClick},
      {&popHtmlDelete, &TMainForm::popHtmlDeleteClick},
      {&popHtmlSelAll, &TMainForm::popHtmlSelAllClick},
  };
  for (const auto& [control, handler] : clicks) {
    control->onClick = [this, handler = handler] { (this->*handler)(); };
  }
  cmbStyles.onChange = [this] { cmbStylesChange(); };
}

void TMainForm::DHTMLEditShortcut(ui::SurfaceShortcut shortcut) {
  // A click as the user's: a disabled or hidden button does nothing, and a
  // toggle flips its down state before its handler runs.
  ui::Control* button = nullptr;
  switch (shortcut) {
    case ui::SurfaceShortcut::Bold:
      button = &btnBold;
      break;
    case ui::SurfaceShortcut::Italic:
      button = &btnItalic;
      break;
    case ui::SurfaceShortcut::Underline:
      button = &btnUnderline;
      break;
    case ui::SurfaceShortcut::Hyperlink:
      button = &btnLink;
      break;
    case ui::SurfaceShortcut::Undo:
      // As the context menu's Undo: the button may be disabled right after
      // an undo (it follows the snapshot), while the keys go on undoing; and
      // after an edit in the HTML view it is that edit which is taken back.
      btnUndoClick();
      return;
  }
  if (button && button->visible()) button->click();
}

}  // namespace pellora
