#include "editor/main_form.h"

#include "exchange/editing_context.h"
#include "ui/services.h"

namespace pellora {

namespace {

using ui::Control;
using ui::ControlKind;
using ui::ToolButtonStyle;

enum class Start { Enabled, Disabled };

Control& toolButton(Control& bar, const char* name, const char* hint, const char* icon,
                    Start start = Start::Enabled, ToolButtonStyle style = ToolButtonStyle::Button) {
  Control& button = bar.add(ControlKind::ToolButton, name);
  button.setHint(hint);
  button.setIcon(icon);
  button.setToolStyle(style);
  button.setEnabled(start == Start::Enabled);
  return button;
}

void separator(Control& bar) {
  // Separators have no name of their own; number them per bar.
  Control& sep = bar.add(ControlKind::ToolButton,
                         bar.name() + "Separator" + std::to_string(bar.children().size()));
  sep.setToolStyle(ToolButtonStyle::Separator);
}

Control& toolBar(Control& coolBar, const char* name, ui::Bounds bounds) {
  Control& bar = coolBar.add(ControlKind::ToolBar, name);
  bar.setBounds(bounds);
  return bar;
}

Control& menuItem(Control& menu, const char* name, const char* caption, Start start) {
  Control& item = menu.add(ControlKind::MenuItem, name);
  item.setCaption(caption);
  item.setEnabled(start == Start::Enabled);
  return item;
}

Control& plainButton(ui::Form& form, const char* name, const char* caption, int left) {
  Control& button = form.add(ControlKind::Button, name);
  button.setCaption(caption);
  button.setBounds({left, 328, 75, 25});
  button.setVisible(false);
  return button;
}

}  // namespace

// Members are bound in declaration order, which is also the left-to-right
// order of the tool bars, so each initialiser may add to the bar it follows.
TMainForm::TMainForm()
    : ui::Form("MainForm"),
      CoolBar(add(ControlKind::CoolBar, "CoolBar")),
      ToolbarClipboard(toolBar(CoolBar, "ToolbarClipboard", {0, 0, 360, 22})),
      btnCut(toolButton(ToolbarClipboard, "btnCut", "Cut", "edit-cut-symbolic", Start::Disabled)),
      btnCopy(
          toolButton(ToolbarClipboard, "btnCopy", "Copy", "edit-copy-symbolic", Start::Disabled)),
      btnPaste(toolButton(ToolbarClipboard, "btnPaste", "Paste", "edit-paste-symbolic",
                          Start::Disabled)),
      btnDelete(toolButton(ToolbarClipboard, "btnDelete", "Delete", "edit-delete-symbolic")),
      btnUndo((separator(ToolbarClipboard), toolButton(ToolbarClipboard, "btnUndo", "Undo",
                                                       "edit-undo-symbolic", Start::Disabled))),
      btnLink((separator(ToolbarClipboard),
               toolButton(ToolbarClipboard, "btnLink", "Hyperlink", "insert-link-symbolic"))),
      btnImage(toolButton(ToolbarClipboard, "btnImage", "Image", "insert-image-symbolic")),
      btnTable(toolButton(ToolbarClipboard, "btnTable", "Insert Table",
                          "pellora-table-insert-symbolic")),
      btnTableInsRow((separator(ToolbarClipboard),
                      toolButton(ToolbarClipboard, "btnTableInsRow", "Insert Row",
                                 "pellora-table-row-insert-symbolic", Start::Disabled))),
      btnTableDelRow(toolButton(ToolbarClipboard, "btnTableDelRow", "Delete Row",
                                "pellora-table-row-delete-symbolic", Start::Disabled)),
      btnTableInsCol(toolButton(ToolbarClipboard, "btnTableInsCol", "Insert Column",
                                "pellora-table-column-insert-symbolic", Start::Disabled)),
      btnTableDelCol(toolButton(ToolbarClipboard, "btnTableDelCol", "Delete Column",
                                "pellora-table-column-delete-symbolic", Start::Disabled)),
      btnTableMergeCell(toolButton(ToolbarClipboard, "btnTableMergeCell", "Merge Cells",
                                   "pellora-table-cells-merge-symbolic", Start::Disabled)),
      btnTableSplitCell(toolButton(ToolbarClipboard, "btnTableSplitCell", "Split Cell",
                                   "pellora-table-cell-split-symbolic", Start::Disabled)),
      ToolbarHelp(toolBar(CoolBar, "ToolbarHelp", {360, 0, 297, 22})),
      btnDetail(toolButton(ToolbarHelp, "btnDetail", "Document Details On/Off",
                           "view-reveal-symbolic", Start::Enabled, ToolButtonStyle::Check)),
      btnBackColor(toolButton(ToolbarHelp, "btnBackColor", "Toggle Background Color",
                              "pellora-background-color-symbolic")),
      btnOptions((separator(ToolbarHelp), toolButton(ToolbarHelp, "btnOptions", "Settings",
                                                     "preferences-system-symbolic"))),
      btnAbout(toolButton(ToolbarHelp, "btnAbout", "About Pellora", "help-about-symbolic")),
      btnSelAll(toolButton(ToolbarHelp, "btnSelAll", "", "edit-select-all-symbolic")),
      ToolbarFormat(toolBar(CoolBar, "ToolbarFormat", {0, 26, 659, 22})),
      cmbStyles(ToolbarFormat.add(ControlKind::ComboBox, "cmbStyles")),
      btnColor((separator(ToolbarFormat),
                toolButton(ToolbarFormat, "btnColor", "Font", "font-select-symbolic"))),
      btnBold((separator(ToolbarFormat),
               toolButton(ToolbarFormat, "btnBold", "Bold", "format-text-bold-symbolic",
                          Start::Enabled, ToolButtonStyle::Check))),
      btnItalic(toolButton(ToolbarFormat, "btnItalic", "Italic", "format-text-italic-symbolic",
                           Start::Enabled, ToolButtonStyle::Check)),
      btnUnderline(toolButton(ToolbarFormat, "btnUnderline", "Underline",
                              "format-text-underline-symbolic", Start::Enabled,
                              ToolButtonStyle::Check)),
      btnAlLeft((separator(ToolbarFormat), toolButton(ToolbarFormat, "btnAlLeft", "Left Justify",
                                                      "format-justify-left-symbolic",
                                                      Start::Enabled, ToolButtonStyle::Group))),
      btnAlCenter(toolButton(ToolbarFormat, "btnAlCenter", "Center",
                             "format-justify-center-symbolic", Start::Enabled,
                             ToolButtonStyle::Group)),
      btnAlRight(toolButton(ToolbarFormat, "btnAlRight", "Right Justify",
                            "format-justify-right-symbolic", Start::Enabled,
                            ToolButtonStyle::Group)),
      btnListOL((separator(ToolbarFormat),
                 toolButton(ToolbarFormat, "btnListOL", "Numbered List",
                            "view-list-ordered-symbolic", Start::Enabled, ToolButtonStyle::Check))),
      btnListUL(toolButton(ToolbarFormat, "btnListUL", "Bulleted List", "view-list-bullet-symbolic",
                           Start::Enabled, ToolButtonStyle::Check)),
      btnIndentLeft(
          toolButton(ToolbarFormat, "btnIndentLeft", "Outdent", "format-indent-less-symbolic")),
      btnIndentRight(
          toolButton(ToolbarFormat, "btnIndentRight", "Indent", "format-indent-more-symbolic")),
      LoadFailureBar(add(ControlKind::InfoBar, "LoadFailureBar")),
      btnTryAgain(LoadFailureBar.add(ControlKind::Button, "btnTryAgain")),
      PageControl(add<ui::PageControl>("PageControl")),
      TabSheet1(PageControl.add(ControlKind::TabSheet, "TabSheet1")),
      TabSheet2(PageControl.add(ControlKind::TabSheet, "TabSheet2")),
      DHTMLEditHost(TabSheet1.add(ControlKind::VisualEditor, "DHTMLEdit")),
      mmoHTML(TabSheet2.add(ControlKind::SourceEditor, "mmoHTML")),
      MenuHtmlPopup(add(ControlKind::PopupMenu, "MenuHtmlPopup")),
      popHtmlCut(menuItem(MenuHtmlPopup, "popHtmlCut", "Cut", Start::Disabled)),
      popHtmlCopy(menuItem(MenuHtmlPopup, "popHtmlCopy", "Copy", Start::Disabled)),
      popHtmlPaste(menuItem(MenuHtmlPopup, "popHtmlPaste", "Paste", Start::Disabled)),
      popHtmlDelete(menuItem(MenuHtmlPopup, "popHtmlDelete", "Delete", Start::Disabled)),
      popHtmlSelAll((menuItem(MenuHtmlPopup, "N1", "-", Start::Enabled),
                     menuItem(MenuHtmlPopup, "popHtmlSelAll", "Select All", Start::Enabled))),
      StatusPanel(exchange::HttpStatusDisplay::createControls(*this)),
      StatusLabel(StatusPanel.child("StatusLabel")),
      StatusProgress(StatusPanel.child("StatusProgress")),
      btnLoad(plainButton(*this, "btnLoad", "Load", 368)),
      btnSave(plainButton(*this, "btnSave", "Save", 456)),
      IdAntiFreeze1(ui::platform().pump()),
      StatusDisplay(StatusPanel, StatusLabel, StatusProgress, ui::platform().cursor()),
      surface_(ui::platform().createEditingSurface()) {
  setCaption("MainForm");
  setBounds({0, 0, 663, 375});
  setFont({"MS Sans Serif", -11});

  CoolBar.setAlign(ui::Align::Top);
  CoolBar.setBounds({0, 0, 663, 50});
  btnSelAll.setVisible(false);

  cmbStyles.setHint("Styles");
  cmbStyles.setSorted(true);
  cmbStyles.setTabStop(false);
  cmbStyles.setBounds({0, 0, 135, 21});

  LoadFailureBar.setAlign(ui::Align::Top);
  LoadFailureBar.setVisible(false);
  btnTryAgain.setCaption("&Try Again");

  PageControl.setAlign(ui::Align::Client);
  PageControl.setTabStop(false);
  TabSheet1.setCaption("Editor");
  TabSheet2.setCaption("HTML");
  DHTMLEditHost.setAlign(ui::Align::Client);
  mmoHTML.setAlign(ui::Align::Client);
  mmoHTML.setColor(ui::clWindow);
  mmoHTML.setFont({"Courier New", -13});

  StatusDisplay.bind(IdHTTP);
  btnLoad.onClick = [this] { btnLoadClick(); };
  btnSave.onClick = [this] { btnSaveClick(); };
  bindViewHandlers();
  bindCommandHandlers();
  watchLoads();
  startJournal();
  FormCreate();
}

TMainForm::~TMainForm() {
  // ContentBody may still follow the HTML view's text: take it while the
  // view's model lives.
  editingContext();
  // The form's members go from here on: the surface, going with them, has
  // nobody to tell.
  surface_->setClient(nullptr);
}

}  // namespace pellora
