// Tables: inserting one through the dialog `TableForm`, and the six row,
// column and cell commands of an existing table. All go through the gate, so
// nothing happens before the first load or where the caret cannot take them.
// Covered by tests/editor/tables_test.cpp.
#include <charconv>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>

#include "editor/inserttable.h"
#include "editor/main_form.h"
#include "ui/services.h"

namespace pellora {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// A row or column count as typed: optional blanks around an optionally
// signed decimal number, or a hexadecimal one after "$" or "0x" (as the
// platform's integer conversion read it). Anything else, a number outside
// the integer range included, is no count. A table needs at least one row
// and one column, so smaller counts are refused like text. Both give 1.
int tableCount(std::string_view text) {
  constexpr int kFallback = 1;
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.starts_with('$')) {
    base = 16;
    text.remove_prefix(1);
  } else if (text.starts_with("0x") || text.starts_with("0X")) {
    base = 16;
    text.remove_prefix(2);
  }
  // from_chars takes no sign or blanks of its own here: only digits remain.
  if (text.empty() || text.front() == '-' || text.front() == '+') return kFallback;
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc() || end != text.data() + text.size()) return kFallback;
  if (negative || value < 1 || value > std::numeric_limits<int>::max()) return kFallback;
  return static_cast<int>(value);
}

// Each field verbatim, in a fixed order; the surface places the text inside
// the table's start tag.
std::string tableAttributes(const TTableForm& dialog) {
  std::string attrs;
  if (!dialog.edWidth.text().empty()) {
    attrs += " width=" + dialog.edWidth.text();
    if (dialog.cmbUnit.itemIndex() == 0) attrs += "%";
  }
  if (!dialog.edPadding.text().empty()) attrs += " cellpadding=" + dialog.edPadding.text();
  if (!dialog.edSpacing.text().empty()) attrs += " cellspacing=" + dialog.edSpacing.text();
  if (!dialog.edBorder.text().empty()) attrs += " border=" + dialog.edBorder.text();
  return attrs;
}

}  // namespace

void TMainForm::btnTableClick() {
  if (!dialogs.TableForm) throw std::logic_error("the insert-table dialog has not been created");
  TTableForm& dialog = *dialogs.TableForm;
  // What was typed stays in the dialog for the next insertion, whatever the
  // outcome.
  if (ui::platform().modal().showModal(dialog) != ui::mrOk) return;
  ui::TableParams params;
  params.NumRows = tableCount(dialog.edRows.text());
  params.NumCols = tableCount(dialog.edCols.text());
  params.TableAttrs = tableAttributes(dialog);
  ExecEditorCommand(ui::DECMD_INSERTTABLE, ui::OLECMDEXECOPT_DODEFAULT, params);
}

void TMainForm::btnTableInsRowClick() {
  ExecEditorCommand(ui::DECMD_INSERTROW, ui::OLECMDEXECOPT_DODEFAULT, {});
}
void TMainForm::btnTableDelRowClick() {
  ExecEditorCommand(ui::DECMD_DELETEROWS, ui::OLECMDEXECOPT_DODEFAULT, {});
}
void TMainForm::btnTableInsColClick() {
  ExecEditorCommand(ui::DECMD_INSERTCOL, ui::OLECMDEXECOPT_DODEFAULT, {});
}
void TMainForm::btnTableDelColClick() {
  ExecEditorCommand(ui::DECMD_DELETECOLS, ui::OLECMDEXECOPT_DODEFAULT, {});
}
void TMainForm::btnTableMergeCellClick() {
  ExecEditorCommand(ui::DECMD_MERGECELLS, ui::OLECMDEXECOPT_DODEFAULT, {});
}
void TMainForm::btnTableSplitCellClick() {
  ExecEditorCommand(ui::DECMD_SPLITCELL, ui::OLECMDEXECOPT_DODEFAULT, {});
}

}  // namespace pellora
