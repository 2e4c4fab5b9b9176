// Image transfer around loading and saving.
//
// PASS-THROUGH until the image transfer lands: no server images are recorded
// and saving goes on without offering deletions or uploads.
#include "editor/main_form.h"

namespace pellora {

void TMainForm::ScanServerImages() {}

bool TMainForm::TransferImages() { return true; }

}  // namespace pellora
