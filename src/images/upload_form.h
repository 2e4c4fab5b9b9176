// The image dialog `UploadForm`: server images offered for deletion and
// local images offered for upload, each with a checked state. Created with
// the control, refilled and shown at every save that needs it.
#pragma once

#include "ui/control.h"
#include "ui/form.h"

namespace pellora {

class TUploadForm : public ui::Form {
 public:
  TUploadForm();

  ui::Control& Label1;
  ui::Control& clbImagesDel;
  ui::Control& Label2;
  ui::Control& clbImagesUp;
  ui::Control& Button1;
  ui::Control& Button2;
};

}  // namespace pellora
