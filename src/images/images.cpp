// Covered by tests/images/image_transfer_test.cpp and
// tests/images/image_safety_test.cpp.
#include "images/images.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <utility>

#include "images/image_patterns.h"
#include "images/image_signature.h"
#include "images/local_image.h"
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

// The file a listed local image names, so that the spellings of one file
// ("%2E" for ".", "a/../b") are one: a drive path as it stands.
std::string localImageKey(std::string_view path) {
  if (const std::optional<std::string> file = images::fileSystemPath(path)) {
    return std::filesystem::path(*file).lexically_normal().string();
  }
  return std::string(path);
}

bool contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Every name an upload of `path` may be stored under: the one its address
// names, and the one a server that splits at "/" as well as "\" takes.
void addStoredNames(const std::string& path, std::vector<std::string>& names) {
  names.push_back(images::uploadedFileName(path));
  const std::string sent = images::uploadFileName(path);
  names.push_back(sent.substr(sent.find_last_of("/\\") + 1));
}

}  // namespace

ImageTransfer::ImageTransfer(exchange::TIdHTTP& http, exchange::HttpStatusDisplay& status,
                             EditingContext& context)
    : context_(context), requests_(http, status, context) {}

std::string ImageTransfer::ContentsUrl() const { return images::ContentsUrl(context_.BaseUrl); }

void ImageTransfer::ScanServerImages() {
  serverImages_.clear();
  loadedLocalImages_.clear();
  for (const std::string& path : images::findLocalImages(context_.ContentBody)) {
    loadedLocalImages_.push_back(localImageKey(path));
  }
  serverImages_ = images::findServerImages(context_.ContentBody, ContentsUrl());
}

void ImageTransfer::NoteLoadedDocument(const std::string& body) {
  for (const std::string& path : images::findLocalImages(body)) {
    const std::string key = localImageKey(path);
    if (!contains(loadedLocalImages_, key)) loadedLocalImages_.push_back(key);
  }
}

bool ImageTransfer::PrepareImageLists(TUploadForm& dialog) {
  const std::string& text = context_.ContentBody;
  fillChecked(dialog.clbImagesDel, images::unusedServerImages(serverImages_, text));
  ui::Control& uploads = dialog.clbImagesUp;
  uploads.clearItems();
  offeredUploads_ = images::findLocalImages(text);
  std::vector<bool> loaded;
  for (const std::string& path : offeredUploads_) {
    loaded.push_back(contains(loadedLocalImages_, localImageKey(path)));
    uploads.addItem(loaded.back() ? path + " " + loadedMark_ : path);
  }
  for (std::size_t i = 0; i < loaded.size(); ++i) {
    uploads.setItemChecked(static_cast<int>(i), !loaded[i]);
  }
  return !dialog.clbImagesDel.items().empty() || !uploads.items().empty();
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

  const ui::Control& list = dialog->clbImagesUp;
  if (list.items().size() != offeredUploads_.size()) {
    throw std::logic_error("The upload list was changed behind the image transfer.");
  }
  std::vector<std::string> uploads;
  for (std::size_t i = 0; i < offeredUploads_.size(); ++i) {
    if (list.itemChecked(static_cast<int>(i))) uploads.push_back(offeredUploads_[i]);
  }
  // Every checked file is read and judged before the first request, so a
  // file that is no image stops the save with nothing stored or deleted.
  std::vector<std::optional<std::string>> contents;
  bool refused = false;
  for (const std::string& path : uploads) {
    contents.push_back(images::readListedImage(path));
    if (contents.back() && !images::imageKindOf(*contents.back())) {
      ui::platform().messageBoxes().errorAbort("File \"" + path + "\" is not an image!");
      refused = true;
    }
  }
  if (refused) return false;

  std::string working = context_.ContentBody;
  bool uploadFailed = false;
  std::vector<std::string> storedNames;
  for (std::size_t i = 0; i < uploads.size(); ++i) {
    if (requests_.UploadImageContent(uploads[i], std::move(contents[i]))) {
      working = images::RewriteImageSource(working, uploads[i], ContentsUrl());
      addStoredNames(uploads[i], storedNames);
    } else {
      uploadFailed = true;
    }
  }
  context_.ContentBody = std::move(working);
  if (uploadFailed) return false;
  // The server's file behind each recorded name; one this save has just
  // stored anew is no longer unused.
  for (const std::string& name : checkedEntries(dialog->clbImagesDel)) {
    const std::string file = images::serverFileName(name);
    if (!contains(storedNames, file) && !contains(storedNames, name) &&
        !contains(pendingDeletions_, file)) {
      pendingDeletions_.push_back(file);
    }
  }
  return true;
}

void ImageTransfer::DeleteUnusedImages() {
  // Taken first, so a second call (or one during a request) deletes nothing twice.
  const std::vector<std::string> deletions = std::exchange(pendingDeletions_, {});
  for (const std::string& name : deletions) requests_.DeleteImage(name);
}

}  // namespace pellora
