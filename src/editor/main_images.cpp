// Image transfer around loading and saving: the editor form's entry points,
// handing its HTTP client, status display and image dialog to the images
// layer, which holds the rules and the state between load and save.
#include <memory>

#include "editor/main_form.h"
#include "exchange/editing_context.h"
#include "images/images.h"
#include "settings/lang.h"

namespace pellora {

namespace {

ImageTransfer& transferOf(TMainForm& form) {
  if (!form.imageTransfer) {
    form.imageTransfer =
        std::make_shared<ImageTransfer>(form.IdHTTP, form.StatusDisplay, editingContext());
  }
  return *form.imageTransfer;
}

}  // namespace

void TMainForm::ScanServerImages() { transferOf(*this).ScanServerImages(); }

bool TMainForm::TransferImages() {
  ImageTransfer& transfer = transferOf(*this);
  transfer.setLoadedMark(std::string(languageText(LanguageText::CameWithTheItem)));
  return transfer.TransferImages(dialogs.UploadForm);
}

void TMainForm::DeleteUnusedImages() { transferOf(*this).DeleteUnusedImages(); }

}  // namespace pellora
