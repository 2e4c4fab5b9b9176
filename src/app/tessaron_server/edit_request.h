// What a POST to the script asks for, decided from the request alone: store
// a content item (fields content, htmlsource, auth, edtype), delete an image
// (deleteimage, auth, content) or store an uploaded image (multipart parts
// auth, content, imagefile; the token before the file, see upload_check.h).
// The token is checked before anything else, and every name is checked
// before it can reach the file system. A refusal carries the text the script
// answers with, in the script's own style ("Error:<br>..."), which the editor
// shows to the user. A body is read alike in memory or in its spool file,
// piece by piece, so a spooled one is never read into memory whole.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <variant>

#include "app/tessaron_server/byte_sink.h"
#include "app/tessaron_server/http_request.h"
#include "app/tessaron_server/request_body.h"

namespace pellora::tessaron {

// The bytes a request stores, left where they arrived: the request's body,
// taken over whole (in memory or spooled), and the range of the value in it,
// percent-encoded (a form field) or as is (an upload's part). They are
// decoded only on the way to their file, so a large save is never copied
// whole.
class StoredBytes {
 public:
  StoredBytes() = default;
  StoredBytes(std::string body, std::shared_ptr<const BodyHolding> holding, std::size_t offset,
              std::size_t size, bool formEncoded)
      : body_(std::move(body)),
        holding_(std::move(holding)),
        offset_(offset),
        size_(size),
        formEncoded_(formEncoded) {}

  // Hands the decoded bytes to `sink` in pieces; false when it refused one.
  bool produce(const ByteSink& sink) const;
  // The decoded bytes whole.
  std::string text() const;
  friend bool operator==(const StoredBytes& bytes, std::string_view text) {
    return bytes.text() == text;
  }

 private:
  std::string body_;
  std::shared_ptr<const BodyHolding> holding_;
  std::size_t offset_ = 0, size_ = 0;
  bool formEncoded_ = false;
};

struct StoreContent {
  std::string file;  // "<content name>.html"
  StoredBytes bytes;
};

struct DeleteImage {
  std::string file;
};

struct StoreImage {
  std::string file;
  StoredBytes bytes;
};

struct Refusal {
  std::string text;
};

using EditAction = std::variant<StoreContent, DeleteImage, StoreImage, Refusal>;

inline constexpr std::string_view kAccessDenied = "Error:<br>Access <B>denied</B>";
inline constexpr std::string_view kMalformedUpload = "Error:<br>Malformed upload";

// Takes the request over: a store action keeps its body (see StoredBytes).
// Throws std::runtime_error when a spooled body cannot be read.
EditAction interpretEditRequest(HttpRequest request, std::string_view token);

}  // namespace pellora::tessaron
