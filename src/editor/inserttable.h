// The insert-table dialog `TableForm`. Created once with the control and
// reused, so what the user typed stays for the next insertion.
#pragma once

#include "ui/control.h"
#include "ui/form.h"

namespace pellora {

class TTableForm : public ui::Form {
 public:
  TTableForm();

  ui::Control& Label1;
  ui::Control& edRows;
  ui::Control& Label3;
  ui::Control& edCols;
  ui::Control& Label2;
  ui::Control& edPadding;
  ui::Control& Label4;
  ui::Control& edSpacing;
  ui::Control& Label5;
  ui::Control& edWidth;
  ui::Control& cmbUnit;
  ui::Control& Label6;
  ui::Control& edBorder;
  ui::Control& Button1;
  ui::Control& Button2;
};

}  // namespace pellora
