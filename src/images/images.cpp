// Covered by tests/images/image_transfer_test.cpp.
#include "images/images.h"

#include <stdexcept>
#include <utility>

#include "images/image_patterns.h"
#include "images/upload_form.h"
#include "ui/services.h"

namespace pellora {

namespace {

void fillChecked(ui::Control& list, const std::vector<std::string>& entries) {
  list.clearItems();
  for (const std::string& entry : entries) list.addItem(entry);
  for (int i = 0; i < static_cast<int>(list.items().size()); ++i) list.setItemChecked(i, true);
}

std::vector<std::string> checkedEntries(const ui::Control& list) {
  std::vector<std::string> entries;
  for (int i = 0; i < static_cast<int>(list.items().size()); ++i) {
    if (list.itemChecked(i)) entries.push_back(list.items()[static_cast<std::size_t>(i)]);
  }
  return entries;
}

}  // namespace

ImageTransfer::ImageTransfer(exchange::TIdHTTP& http, exchange::HttpStatusDisplay& status,
                             EditingContext& context)
    : context_(context), requests_(http, status, context) {}

std::string ImageTransfer::ContentsUrl() const { return images::ContentsUrl(context_.BaseUrl); }

void ImageTransfer::ScanServerImages() {
  serverImages_.clear();
  serverImages_ = images::findServerImages(context_.ContentBody, ContentsUrl());
}

bool ImageTransfer::PrepareImageLists(TUploadForm& dialog) {
  const std::string& text = context_.ContentBody;
  fillChecked(dialog.clbImagesDel, images::unusedServerImages(serverImages_, text));
  fillChecked(dialog.clbImagesUp, images::findLocalImages(text));
  return !dialog.clbImagesDel.items().empty() || !dialog.clbImagesUp.items().empty();
}

bool ImageTransfer::TransferImages(TUploadForm* dialog) {
  pendingDeletions_.clear();
  if (!dialog) {
    const std::string& text = context_.ContentBody;
    if (images::unusedServerImages(serverImages_, text).empty() &&
        images::findLocalImages(text).empty()) {
      return true;
    }
    throw std::logic_error("The image dialog has not been created.");
  }
  if (!PrepareImageLists(*dialog)) return true;
  if (ui::platform().modal().showModal(*dialog) != ui::mrOk) return false;

  std::vector<std::string> deletions = checkedEntries(dialog->clbImagesDel);
  const std::vector<std::string> uploads = checkedEntries(dialog->clbImagesUp);
  std::string working = context_.ContentBody;
  bool uploadFailed = false;
  for (const std::string& path : uploads) {
    if (requests_.UploadImage(path)) {
      working = images::RewriteImageSource(working, path, ContentsUrl());
    } else {
      uploadFailed = true;
    }
  }
  context_.ContentBody = std::move(working);
  if (uploadFailed) return false;
  pendingDeletions_ = std::move(deletions);
  return true;
}

void ImageTransfer::DeleteUnusedImages() {
  // Taken first, so a second call (or one during a request) deletes nothing twice.
  const std::vector<std::string> deletions = std::exchange(pendingDeletions_, {});
  for (const std::string& name : deletions) requests_.DeleteImage(name);
}

}  // namespace pellora
