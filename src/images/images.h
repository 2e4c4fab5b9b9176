// The image transfer: keeps the server's image folder in step with the
// document. Loading records which contents-folder images the item uses
// (`ServerImages`); saving compares that record and the local images the
// document refers to, offers both in the image dialog, uploads the chosen
// local images and rewrites their addresses in the document text to server
// addresses. The chosen deletions wait until the server has stored the
// content: deleting earlier would lose images the stored content still uses
// when an upload or the save itself fails; and a deletion never removes a
// name that the same save uploaded.
//
// An upload never replaces a server image unasked: before the dialog opens,
// the server is asked (one GET of the contents address per candidate name)
// whether each upload's name is taken. A taken name, on the server or by an
// earlier upload of the same save, goes to the first free "name-1.png",
// "name-2.png", ..., and its address is rewritten to that; the entry says
// so, and for a name taken on the server an unchecked option below it lets
// the user replace the server's image instead. A file this editor already
// stored since the load keeps the name it got.
//
// A content item is not trusted with the user's files: local images that
// were already in the body when it was loaded start unchecked and carry a
// mark in the dialog; only those added while editing start checked. No file
// whose bytes are not an image is ever sent.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "exchange/editing_context.h"
#include "exchange/http_client.h"
#include "exchange/http_status_display.h"
#include "images/image_requests.h"

namespace pellora {

class TUploadForm;

class ImageTransfer {
 public:
  // All three must outlive the object. The context's `BaseUrl` and
  // `ContentBody` (the document text) are read at each call.
  ImageTransfer(exchange::TIdHTTP& http, exchange::HttpStatusDisplay& status,
                EditingContext& context);

  // After a load, on the document text: replaces `ServerImages` and the
  // record of the local images the loaded item named.
  void ScanServerImages();
  // Before a save's post. Offers what there is to delete or upload in
  // `dialog` (not shown when there is nothing), uploads the checked local
  // images and rewrites the uploaded ones' addresses in the document text,
  // and keeps the checked deletions for `DeleteUnusedImages`. False (save
  // abandoned) when the dialog was not closed with OK or an upload failed;
  // also when a checked file is readable but no image, and then before any
  // request. A missing dialog is a programming error, raised only when it
  // is needed.
  bool TransferImages(TUploadForm* dialog);
  // After the server acknowledged the save: deletes the images the last
  // successful `TransferImages` kept, one request each, in list order; a
  // failure is shown and the rest go on. Does nothing the second time.
  void DeleteUnusedImages();

  // The loaded item as the visual view holds it once its load completed
  // (references the engine spelled out, in whatever way the item wrote
  // them): its local images came with the item as well.
  void NoteLoadedDocument(const std::string& body);

  // Fills the dialog's lists; true when either has an entry, nothing when
  // a name could not be checked (shown). An upload entry that came with
  // the loaded item reads "<path> <mark>"; one whose name is taken adds
  // where it goes.
  std::optional<bool> PrepareImageLists(TUploadForm& dialog);
  std::string ContentsUrl() const;

  // The mark of upload entries that came with the item, in the interface
  // language; set by the editor before a save.
  void setLoadedMark(std::string mark) { loadedMark_ = std::move(mark); }

  const std::vector<std::string>& ServerImages() const { return serverImages_; }
  const std::vector<std::string>& pendingDeletions() const { return pendingDeletions_; }
  images::ImageRequests& requests() { return requests_; }

 private:
  EditingContext& context_;
  images::ImageRequests requests_;
  std::vector<std::string> serverImages_;
  // The local images of the loaded body, by the file each names.
  std::vector<std::string> loadedLocalImages_;
  // Where an offered upload goes.
  enum class NameClash { None, OnServer, InThisSave };
  struct UploadPlan {
    std::string path;    // as listed
    std::string wanted;  // the name its path ends in
    std::string name;    // the free name it is stored under
    NameClash clash = NameClash::None;
    // An earlier entry spelling the same file: it goes where that one goes.
    std::optional<std::size_t> sameFileAs;
  };
  // A row of the upload list: the upload it belongs to, and whether it is
  // that upload's option to replace the server's image.
  struct UploadRow {
    std::size_t upload;
    bool replaceOption;
  };
  // Plans the names of `paths`; nothing when one could not be checked.
  std::optional<std::vector<UploadPlan>> planUploadNames(const std::vector<std::string>& paths);

  // The offered uploads and the rows of the upload list, row for row.
  std::vector<UploadPlan> offeredUploads_;
  std::vector<UploadRow> uploadRows_;
  // The files this editor stored since the load, by file, and their names.
  std::vector<std::pair<std::string, std::string>> storedUploads_;
  std::vector<std::string> pendingDeletions_;
  std::string loadedMark_ = "(came with the item)";
};

}  // namespace pellora
