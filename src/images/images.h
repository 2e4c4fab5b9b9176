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
// A content item is not trusted with the user's files: local images that
// were already in the body when it was loaded start unchecked and carry a
// mark in the dialog; only those added while editing start checked. No file
// whose bytes are not an image is ever sent.
#pragma once

#include <string>
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

  // Fills the dialog's lists; true when either has an entry. An upload
  // entry that came with the loaded item reads "<path> <mark>".
  bool PrepareImageLists(TUploadForm& dialog);
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
  // The listed paths behind the upload list's entries, index for index.
  std::vector<std::string> offeredUploads_;
  std::vector<std::string> pendingDeletions_;
  std::string loadedMark_ = "(came with the item)";
};

}  // namespace pellora
