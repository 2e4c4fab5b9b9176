// The editor form `MainForm`: a container of the tool bars, the two views
// (visual editing surface and HTML source), the status display and the
// hidden load/save buttons. Handlers of the controls are bound by the
// editor's behaviour code; this class only builds and owns the components
// with their design texts, hints and start states.
#pragma once

#include <memory>

#include "ui/control.h"
#include "ui/editing_surface.h"
#include "ui/form.h"

namespace pellora {

class TMainForm : public ui::Form {
 public:
  // Creates the visual surface through the installed platform.
  TMainForm();
  ~TMainForm() override;

  // Creation handler; prepares nothing the rest relies on (no settings, no
  // document): the editor stays empty until the first load.
  void FormCreate() {}

  // The visual editing surface of the "Editor" page.
  ui::EditingSurface& DHTMLEdit() { return *surface_; }

  ui::Control& CoolBar;
  ui::Control& ToolbarClipboard;
  ui::Control& btnCut;
  ui::Control& btnCopy;
  ui::Control& btnPaste;
  ui::Control& btnDelete;
  ui::Control& btnUndo;
  ui::Control& btnLink;
  ui::Control& btnImage;
  ui::Control& btnTable;
  ui::Control& btnTableInsRow;
  ui::Control& btnTableDelRow;
  ui::Control& btnTableInsCol;
  ui::Control& btnTableDelCol;
  ui::Control& btnTableMergeCell;
  ui::Control& btnTableSplitCell;
  ui::Control& ToolbarHelp;
  ui::Control& btnDetail;
  ui::Control& btnBackColor;
  ui::Control& btnOptions;
  ui::Control& btnAbout;
  ui::Control& btnSelAll;
  ui::Control& ToolbarFormat;
  ui::Control& cmbStyles;
  ui::Control& btnColor;
  ui::Control& btnBold;
  ui::Control& btnItalic;
  ui::Control& btnUnderline;
  ui::Control& btnAlLeft;
  ui::Control& btnAlCenter;
  ui::Control& btnAlRight;
  ui::Control& btnListOL;
  ui::Control& btnListUL;
  ui::Control& btnIndentLeft;
  ui::Control& btnIndentRight;

  ui::PageControl& PageControl;
  ui::Control& TabSheet1;
  ui::Control& TabSheet2;
  // Stands in the widget tree where the visual surface is shown.
  ui::Control& DHTMLEditHost;
  ui::Control& mmoHTML;

  ui::Control& MenuHtmlPopup;
  ui::Control& popHtmlCut;
  ui::Control& popHtmlCopy;
  ui::Control& popHtmlPaste;
  ui::Control& popHtmlDelete;
  ui::Control& popHtmlSelAll;

  ui::Control& StatusPanel;
  ui::Control& StatusLabel;
  ui::Control& StatusProgress;

  ui::Control& btnLoad;
  ui::Control& btnSave;

 private:
  std::unique_ptr<ui::EditingSurface> surface_;
};

}  // namespace pellora
