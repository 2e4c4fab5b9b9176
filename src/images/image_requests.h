// The two requests by which the image transfer changes the server's image
// folder: deleting one image of the contents folder and uploading one local
// image file, each one POST to the server script. Both show their progress
// in the editor's status display, report every failure themselves in a
// message box and give the caller only true ("OK" from the server) or false.
//
// The field and body builders are separate so the bytes on the wire can be
// checked without a server.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/editing_context.h"
#include "exchange/http_client.h"
#include "exchange/http_status_display.h"

namespace pellora::images {

// The header form of the boundary; delimiter lines in the body add "--".
inline constexpr std::string_view kUploadBoundary = "---------------------------7d11a9202023c";

// `baseUrl` + "/" + "edit.php".
std::string ScriptUrl(std::string_view baseUrl);

// The form fields of a delete request. Every value is URL-encoded, so a
// content name or token with "&", "=" or a line break cannot break the form.
std::vector<std::string> deleteImageFields(std::string_view name, std::string_view contentName,
                                           std::string_view authToken);

// The multipart body of an upload: the token, the content name and the file
// (always sent as "image/pjpeg"), with `fileName` as the part's file name.
std::string uploadImageBody(std::string_view authToken, std::string_view contentName,
                            std::string_view fileName, std::string_view fileBytes);

class ImageRequests {
 public:
  // All three must outlive the object; the context is read at each request.
  ImageRequests(exchange::TIdHTTP& http, exchange::HttpStatusDisplay& status,
                const EditingContext& context);

  // Asks the server to delete the contents folder's image `name`.
  bool DeleteImage(const std::string& name);
  // Whether the contents folder holds a file `name`, by fetching its
  // address: only a 404 says it is free. Any other failure is shown and
  // answers Unknown, so no upload goes out on a guess.
  enum class Stored { Absent, Present, Unknown };
  Stored ImageStored(const std::string& name);
  // Sends the listed local image `path` (see local_image.h). A file that
  // cannot be read is reported as not found, with no request.
  bool UploadImage(const std::string& path);
  // The same with the file's content read beforehand (nothing: it could not
  // be read), so a caller that checked the bytes sends exactly those; stored
  // as `storedName` when given, else under the name its path ends in.
  bool UploadImageContent(const std::string& path, std::optional<std::string> fileBytes,
                          const std::string& storedName = {});

 private:
  // Runs `post`, then judges the answer; shows the failure if any.
  template <typename Post>
  bool request(const std::string& statusText, Post post);

  exchange::TIdHTTP& http_;
  exchange::HttpStatusDisplay& status_;
  const EditingContext& context_;
};

}  // namespace pellora::images
