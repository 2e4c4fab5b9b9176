// The command gate of the editor and the handlers bound to the tool bars.
#include <algorithm>

#include "editor/main_form.h"

namespace pellora {

int TMainForm::QueryEditorStatus(int cmdID) { return DHTMLEdit().QueryStatus(cmdID); }

void TMainForm::ExecEditorCommand(int cmdID, int cmdexecopt, const ui::CommandArg& pInVar) {
  if (!DocumentReady) return;
  // Enabled, latched and ninched commands all run: a latched bold switches
  // bold off.
  if ((QueryEditorStatus(cmdID) & ui::DECMDF_ENABLED) != ui::DECMDF_ENABLED) return;
  DHTMLEdit().ExecCommand(cmdID, cmdexecopt, pInVar);
}

int TMainForm::ExecDocumentCommand(int cmdID, std::vector<std::string>& output) {
  constexpr int IDM_GETBLOCKFMTS = 2233;
  if (cmdID != IDM_GETBLOCKFMTS || !HtmlDocument) return -1;
  output = HtmlDocument->blockFormats();
  return 0;
}

void TMainForm::FillStylesList() {
  if (!cmbStyles.items().empty()) return;
  std::vector<std::string> formats;
  if (ExecDocumentCommand(2233, formats) != 0) return;
  // The list sorts itself.
  std::sort(formats.begin(), formats.end());
  cmbStyles.setItems(std::move(formats));
}

void TMainForm::bindCommandHandlers() {}

}  // namespace pellora
