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
#include "settings/lang.h"
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

// Judged by its signature, then, where the platform can, by decoding it
// whole: a private file may begin with an image's first bytes.
bool isImageFile(std::string_view bytes) {
  const std::optional<images::ImageKind> kind = images::imageKindOf(bytes);
  if (!kind) return false;
  ui::ImageDecoder* decoder = ui::platform().imageDecoder();
  return !decoder || decoder->decodes(images::mediaTypeOf(*kind), bytes).value_or(true);
}

}  // namespace

ImageTransfer::ImageTransfer(exchange::TIdHTTP& http, exchange::HttpStatusDisplay& status,
                             EditingContext& context)
    : context_(context), requests_(http, status, context) {}

std::string ImageTransfer::ContentsUrl() const { return images::ContentsUrl(context_.BaseUrl); }

void ImageTransfer::ScanServerImages() {
  serverImages_.clear();
  loadedLocalImages_.clear();
  storedUploads_.clear();
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

std::optional<std::vector<ImageTransfer::UploadPlan>> ImageTransfer::planUploadNames(
    const std::vector<std::string>& paths) {
  // Enough for any folder a person fills by hand; beyond it the server is
  // more likely answering every name than holding them all.
  constexpr int kMostNumbers = 100;
  std::vector<UploadPlan> plans;
  // Names this save gives away, and what the server said of each name asked.
  std::vector<std::string> claimed;
  std::vector<std::pair<std::string, bool>> onServer;
  const auto taken = [&](const std::string& name) -> std::optional<bool> {
    for (const auto& [asked, present] : onServer) {
      if (asked == name) return present;
    }
    const auto stored = requests_.ImageStored(name);
    if (stored == images::ImageRequests::Stored::Unknown) return std::nullopt;
    onServer.emplace_back(name, stored == images::ImageRequests::Stored::Present);
    return onServer.back().second;
  };
  std::vector<std::string> keys;
  for (const std::string& path : paths) {
    UploadPlan plan{path, images::uploadedFileName(path), {}, NameClash::None, std::nullopt};
    const std::string key = localImageKey(path);
    keys.push_back(key);
    if (const auto first = std::find(keys.begin(), keys.end() - 1, key); first != keys.end() - 1) {
      const auto index = static_cast<std::size_t>(first - keys.begin());
      plan.name = plans[index].name;
      plan.sameFileAs = index;
      plans.push_back(std::move(plan));
      continue;
    }
    const auto earlier = std::find_if(storedUploads_.begin(), storedUploads_.end(),
                                      [&](const auto& stored) { return stored.first == key; });
    if (earlier != storedUploads_.end() && !contains(claimed, earlier->second)) {
      plan.name = earlier->second;  // ours: replacing it is meant
    }
    for (int number = 0; plan.name.empty() && number <= kMostNumbers; ++number) {
      const std::string candidate =
          number == 0 ? plan.wanted : images::numberedName(plan.wanted, number);
      if (contains(claimed, candidate)) {
        if (number == 0) plan.clash = NameClash::InThisSave;
        continue;
      }
      const std::optional<bool> present = taken(candidate);
      if (!present) return std::nullopt;
      if (!*present) {
        plan.name = candidate;
      } else if (number == 0) {
        plan.clash = NameClash::OnServer;
        // Only this entry may choose to replace it.
        claimed.push_back(candidate);
      }
    }
    if (plan.name.empty()) {
      ui::platform().messageBoxes().warning(
          languageText(LanguageText::NoFreeImageName, {plan.wanted}));
      return std::nullopt;
    }
    claimed.push_back(plan.name);
    plans.push_back(std::move(plan));
  }
  return plans;
}

std::optional<bool> ImageTransfer::PrepareImageLists(TUploadForm& dialog) {
  const std::string& text = context_.ContentBody;
  fillChecked(dialog.clbImagesDel, images::unusedServerImages(serverImages_, text));
  ui::Control& uploads = dialog.clbImagesUp;
  uploads.clearItems();
  uploadRows_.clear();
  auto plans = planUploadNames(images::findLocalImages(text));
  if (!plans) return std::nullopt;
  offeredUploads_ = std::move(*plans);
  std::vector<bool> checked;
  for (std::size_t i = 0; i < offeredUploads_.size(); ++i) {
    const UploadPlan& plan = offeredUploads_[i];
    const bool loaded = contains(loadedLocalImages_, localImageKey(plan.path));
    std::string entry = loaded ? plan.path + " " + loadedMark_ : plan.path;
    if (plan.clash != NameClash::None) {
      entry +=
          " " + languageText(plan.clash == NameClash::OnServer ? LanguageText::UploadRenamedOnServer
                                                               : LanguageText::UploadRenamedInSave,
                             {plan.name, plan.wanted});
    }
    uploads.addItem(entry);
    uploadRows_.push_back({i, false});
    checked.push_back(!loaded);
    if (plan.clash == NameClash::OnServer) {
      uploads.addItem(languageText(LanguageText::UploadReplaceOption, {plan.wanted}));
      uploadRows_.push_back({i, true});
      checked.push_back(false);
    }
  }
  for (std::size_t i = 0; i < checked.size(); ++i) {
    uploads.setItemChecked(static_cast<int>(i), checked[i]);
  }
  return !dialog.clbImagesDel.items().empty() || !uploads.items().empty();
}

bool ImageTransfer::TransferImages(TUploadForm* dialog) {
  pendingDeletions_.clear();
  // Such an address would be stored as a dead link; the visual view turns
  // pasted images into files, so one left here was never taken in.
  if (const auto scheme = images::findTemporaryImage(context_.ContentBody)) {
    ui::platform().messageBoxes().warning(
        languageText(LanguageText::TemporaryImageAddress, {*scheme}));
    return false;
  }
  if (!dialog) {
    const std::string& text = context_.ContentBody;
    if (images::unusedServerImages(serverImages_, text).empty() &&
        images::findLocalImages(text).empty()) {
      return true;
    }
    throw std::logic_error("The image dialog has not been created.");
  }
  const std::optional<bool> offered = PrepareImageLists(*dialog);
  if (!offered) return false;
  if (!*offered) return true;
  if (ui::platform().modal().showModal(*dialog) != ui::mrOk) return false;

  const ui::Control& list = dialog->clbImagesUp;
  if (list.items().size() != uploadRows_.size()) {
    throw std::logic_error("The upload list was changed behind the image transfer.");
  }
  // The name each offered upload goes to, then the checked ones.
  std::vector<std::string> names;
  for (const UploadPlan& plan : offeredUploads_) names.push_back(plan.name);
  for (std::size_t row = 0; row < uploadRows_.size(); ++row) {
    if (uploadRows_[row].replaceOption && list.itemChecked(static_cast<int>(row))) {
      names[uploadRows_[row].upload] = offeredUploads_[uploadRows_[row].upload].wanted;
    }
  }
  std::vector<std::pair<const UploadPlan*, std::string>> uploads;
  for (std::size_t row = 0; row < uploadRows_.size(); ++row) {
    if (uploadRows_[row].replaceOption || !list.itemChecked(static_cast<int>(row))) continue;
    const UploadPlan& plan = offeredUploads_[uploadRows_[row].upload];
    uploads.emplace_back(&plan, names[plan.sameFileAs.value_or(uploadRows_[row].upload)]);
  }
  // Every checked file is read and judged before the first request, so a
  // file that is no image stops the save with nothing stored or deleted.
  std::vector<std::optional<std::string>> contents;
  bool refused = false;
  for (const auto& [plan, name] : uploads) {
    contents.push_back(images::readListedImage(plan->path));
    if (contents.back() && !isImageFile(*contents.back())) {
      ui::platform().messageBoxes().errorAbort("File \"" + plan->path + "\" is not an image!");
      refused = true;
    }
  }
  if (refused) return false;

  std::string working = context_.ContentBody;
  bool uploadFailed = false;
  std::vector<std::string> storedNames;
  for (std::size_t i = 0; i < uploads.size(); ++i) {
    const UploadPlan& plan = *uploads[i].first;
    const std::string& name = uploads[i].second;
    // Under its own name it goes exactly as before; renamed, only the last
    // segment of the file name sent differs.
    const std::string sentName = name == plan.wanted ? std::string() : name;
    if (requests_.UploadImageContent(plan.path, std::move(contents[i]), sentName)) {
      working = images::RewriteImageSource(working, plan.path, ContentsUrl(), name);
      if (sentName.empty()) {
        addStoredNames(plan.path, storedNames);
      } else {
        storedNames.push_back(name);
      }
      const std::string key = localImageKey(plan.path);
      std::erase_if(storedUploads_, [&](const auto& stored) { return stored.first == key; });
      storedUploads_.emplace_back(key, name);
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
