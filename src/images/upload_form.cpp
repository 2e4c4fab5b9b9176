#include "images/upload_form.h"

#include "ui/form_builder.h"

namespace pellora {

using ui::addControl;
using ui::addDialogButton;
using ui::ControlKind;
using ui::DialogRole;

// Tab order: OK, Cancel, delete list, upload list.
TUploadForm::TUploadForm()
    : ui::Form("UploadForm"),
      Label1(addControl(*this, ControlKind::Label, "Label1",
                        "Delete Images from Server:", {8, 8, 0, 0})),
      clbImagesDel(
          addControl(*this, ControlKind::CheckListBox, "clbImagesDel", "", {8, 24, 265, 65}, 2)),
      Label2(addControl(*this, ControlKind::Label, "Label2",
                        "Upload Images to Server:", {8, 96, 0, 0})),
      clbImagesUp(
          addControl(*this, ControlKind::CheckListBox, "clbImagesUp", "", {8, 112, 265, 65}, 3)),
      Button1(addDialogButton(*this, "Button1", "OK", {56, 200, 75, 25}, 0, ui::mrOk,
                              DialogRole::Default)),
      Button2(addDialogButton(*this, "Button2", "Cancel", {152, 200, 75, 25}, 1, ui::mrCancel,
                              DialogRole::Cancel)) {
  setCaption("Upload Images");
  setBounds({0, 0, 281, 238});
  setFont({"MS Sans Serif", -11});
}

}  // namespace pellora
