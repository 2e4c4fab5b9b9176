#include "editor/inserttable.h"

#include "ui/form_builder.h"

namespace pellora {

using ui::addControl;
using ui::addDialogButton;
using ui::addEdit;
using ui::ControlKind;
using ui::DialogRole;

// Rows, columns and width on the left, padding and spacing on the right, the
// unit beside the width, border at the bottom left beside the buttons.
TTableForm::TTableForm()
    : ui::Form("TableForm"),
      Label1(addControl(*this, ControlKind::Label, "Label1", "Rows:", {8, 12, 60, 13})),
      edRows(addEdit(*this, "edRows", "2", {80, 8, 60, 21}, 0)),
      Label3(addControl(*this, ControlKind::Label, "Label3", "Columns:", {8, 44, 60, 13})),
      edCols(addEdit(*this, "edCols", "3", {80, 40, 60, 21}, 1)),
      Label2(addControl(*this, ControlKind::Label, "Label2", "Cell Padding:", {160, 12, 70, 13})),
      edPadding(addEdit(*this, "edPadding", "", {240, 8, 60, 21}, 2)),
      Label4(addControl(*this, ControlKind::Label, "Label4", "Cell Spacing:", {160, 44, 70, 13})),
      edSpacing(addEdit(*this, "edSpacing", "", {240, 40, 60, 21}, 3)),
      Label5(addControl(*this, ControlKind::Label, "Label5", "Width:", {8, 76, 60, 13})),
      edWidth(addEdit(*this, "edWidth", "80", {80, 72, 60, 21}, 4)),
      cmbUnit(addControl(*this, ControlKind::ComboBox, "cmbUnit", "", {148, 72, 65, 21}, 5)),
      Label6(addControl(*this, ControlKind::Label, "Label6", "Border:", {8, 140, 60, 13})),
      edBorder(addEdit(*this, "edBorder", "0", {80, 136, 60, 21}, 6)),
      Button1(addDialogButton(*this, "Button1", "OK", {152, 136, 75, 25}, 7, ui::mrOk,
                              DialogRole::Default)),
      Button2(addDialogButton(*this, "Button2", "Cancel", {232, 136, 75, 25}, 8, ui::mrCancel,
                              DialogRole::Cancel)) {
  setCaption("Insert Table");
  setBounds({0, 0, 314, 172});
  cmbUnit.setItems({"%", "Pixel"});
  cmbUnit.setItemIndex(0);
}

}  // namespace pellora
