// Command state tracking: after every display change of the visual view the
// tool bar is made to mirror the surface. Toggles are down exactly when
// their command is latched (7); clipboard and table buttons are enabled
// exactly when theirs is enabled (3), so latched or ninched leaves them off.
// Both rules compare for equality, unlike the gate's mask.
// Covered by tests/editor/state_tracking_test.cpp.
#include <stdexcept>
#include <string>
#include <type_traits>
#include <variant>

#include "content/case_map.h"
#include "editor/main_form.h"

namespace pellora {

namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (content::toLowerCp1252(static_cast<unsigned char>(a[i])) !=
        content::toLowerCp1252(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// The block format as text. A null result is no name at all; an object
// cannot be read as a name and fails like any other query.
std::string blockFormatText(const ui::CommandArg& result) {
  return std::visit(
      [](const auto& value) -> std::string {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          return {};
        } else if constexpr (std::is_same_v<T, std::string>) {
          return value;
        } else if constexpr (std::is_same_v<T, bool>) {
          return value ? "True" : "False";
        } else if constexpr (std::is_same_v<T, int>) {
          return std::to_string(value);
        } else {
          throw std::runtime_error("the block format is not a text");
        }
      },
      result);
}

}  // namespace

void TMainForm::DHTMLEditDisplayChanged() {
  if (!DocumentReady) return;
  journalChanged();
  // Outside the guarded block: a failing snapshot is reported.
  UndoSnapshot();
  // The host hears of an edit when the unsaved mark turns, and once the
  // edits pause; not at every key.
  if (!unsaved_.told || !confirmTimer_) documentStateChanged();

  struct Row {
    ui::Control& control;
    int cmdID;
  };
  const Row toggles[] = {
      {btnBold, ui::DECMD_BOLD},
      {btnItalic, ui::DECMD_ITALIC},
      {btnUnderline, ui::DECMD_UNDERLINE},
  };
  // Left, centre, right: a group, so a latched one releases the others.
  const Row alignment[] = {
      {btnAlLeft, ui::DECMD_JUSTIFYLEFT},
      {btnAlCenter, ui::DECMD_JUSTIFYCENTER},
      {btnAlRight, ui::DECMD_JUSTIFYRIGHT},
  };
  const Row lists[] = {
      {btnListOL, ui::DECMD_ORDERLIST},
      {btnListUL, ui::DECMD_UNORDERLIST},
  };
  const Row enabling[] = {
      {btnCut, ui::DECMD_CUT},
      {btnCopy, ui::DECMD_COPY},
      {btnPaste, ui::DECMD_PASTE},
      {btnTableInsRow, ui::DECMD_INSERTROW},
      {btnTableDelRow, ui::DECMD_DELETEROWS},
      {btnTableInsCol, ui::DECMD_INSERTCOL},
      {btnTableDelCol, ui::DECMD_DELETECOLS},
      {btnTableMergeCell, ui::DECMD_MERGECELLS},
      {btnTableSplitCell, ui::DECMD_SPLITCELL},
  };

  // Any failure ends the block silently: states set so far stay, the rest
  // keep their previous values.
  try {
    for (const Row& row : toggles) {
      row.control.setDown(QueryEditorStatus(row.cmdID) == ui::DECMDF_LATCHED);
    }
    for (const Row& row : alignment) {
      const bool latched = QueryEditorStatus(row.cmdID) == ui::DECMDF_LATCHED;
      if (latched) {
        for (const Row& other : alignment) {
          if (&other.control != &row.control) other.control.setDown(false);
        }
      }
      row.control.setDown(latched);
    }
    for (const Row& row : lists) {
      row.control.setDown(QueryEditorStatus(row.cmdID) == ui::DECMDF_LATCHED);
    }
    for (const Row& row : enabling) {
      row.control.setEnabled(QueryEditorStatus(row.cmdID) == ui::DECMDF_ENABLED);
    }

    if (QueryEditorStatus(ui::DECMD_GETBLOCKFMT) == ui::DECMDF_ENABLED) {
      // Run on the surface itself: the gate would discard the result.
      const std::string name = blockFormatText(
          DHTMLEdit().ExecCommand(ui::DECMD_GETBLOCKFMT, ui::OLECMDEXECOPT_DODEFAULT, {}));
      int found = -1;
      const auto& items = cmbStyles.items();
      for (std::size_t i = 0; i < items.size(); ++i) {
        if (sameIgnoringCase(items[i], name)) {
          found = static_cast<int>(i);
          break;
        }
      }
      cmbStyles.setItemIndex(found);
    }
  } catch (...) {
  }
}

}  // namespace pellora
