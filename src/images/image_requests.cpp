// Covered by tests/images/image_requests_test.cpp.
#include "images/image_requests.h"

#include <exception>
#include <optional>

#include "content/extract_body.h"
#include "content/server_response.h"
#include "content/url_encode.h"
#include "exchange/id_exceptions.h"
#include "images/image_patterns.h"
#include "images/local_image.h"
#include "ui/services.h"

namespace pellora::images {

std::string ScriptUrl(std::string_view baseUrl) { return std::string(baseUrl) + "/edit.php"; }

std::vector<std::string> deleteImageFields(std::string_view name, std::string_view contentName,
                                           std::string_view authToken) {
  return {
      "deleteimage=" + content::UrlEncode(name),
      "auth=" + content::UrlEncode(authToken),
      "content=" + content::UrlEncode(contentName),
  };
}

std::string uploadImageBody(std::string_view authToken, std::string_view contentName,
                            std::string_view fileName, std::string_view fileBytes) {
  const std::string delimiter = "--" + std::string(kUploadBoundary);
  std::string body;
  body.reserve(fileBytes.size() + fileName.size() + authToken.size() + contentName.size() + 400);
  body += delimiter + "\r\n";
  body += "Content-Disposition: form-data; name=\"auth\"\r\n\r\n";
  body += authToken;
  body += "\r\n" + delimiter + "\r\n";
  body += "Content-Disposition: form-data; name=\"content\"\r\n\r\n";
  body += contentName;
  body += "\r\n" + delimiter + "\r\n";
  body += "Content-Disposition: form-data; name=\"imagefile\"; filename=\"";
  body += fileName;
  body += "\"\r\nContent-Type: image/pjpeg\r\n\r\n";
  body += fileBytes;
  body += "\r\n" + delimiter + "--\r\n";
  return body;
}

ImageRequests::ImageRequests(exchange::TIdHTTP& http, exchange::HttpStatusDisplay& status,
                             const EditingContext& context)
    : http_(http), status_(status), context_(context) {}

template <typename Post>
bool ImageRequests::request(const std::string& statusText, Post post) {
  ui::MessageBoxes& boxes = ui::platform().messageBoxes();
  // The boxes open before the cleanup, so the panel stays up behind them.
  exchange::ShownStatus shown(status_, statusText);
  try {
    std::string response;
    post(response);
    if (content::ServerAcknowledged(response)) return true;
    boxes.warning(content::ServerResponseMessage(response));
  } catch (const std::exception& failure) {
    boxes.warning(failure.what());
  }
  return false;
}

bool ImageRequests::DeleteImage(const std::string& name) {
  const std::vector<std::string> fields =
      deleteImageFields(name, context_.ContentName, context_.AuthToken);
  return request("Deleting Image \"" + name + "\" ...", [&](std::string& response) {
    http_.Request.ContentType = "application/x-www-form-urlencoded";
    http_.Post(ScriptUrl(context_.BaseUrl), fields, response);
  });
}

ImageRequests::Stored ImageRequests::ImageStored(const std::string& name) {
  ui::MessageBoxes& boxes = ui::platform().messageBoxes();
  exchange::ShownStatus shown(status_, "Checking Image \"" + name + "\" ...");
  try {
    http_.Get(ContentsUrl(context_.BaseUrl) + content::UrlEncode(name));
    return Stored::Present;
  } catch (const exchange::EIdHTTPProtocolException& failure) {
    if (failure.ErrorCode() == 404) return Stored::Absent;
    boxes.warning(failure.what());
  } catch (const std::exception& failure) {
    boxes.warning(failure.what());
  }
  return Stored::Unknown;
}

bool ImageRequests::UploadImage(const std::string& path) {
  return UploadImageContent(path, readListedImage(path));
}

bool ImageRequests::UploadImageContent(const std::string& path, std::optional<std::string> file,
                                       const std::string& storedName) {
  if (!file) {
    ui::platform().messageBoxes().errorAbort("File \"" + path + "\" not found!");
    return false;
  }
  std::string body = uploadImageBody(
      context_.AuthToken, context_.ContentName,
      storedName.empty() ? uploadFileName(path) : renamedUpload(path, storedName), *file);
  file.reset();  // the body holds the only copy the request needs
  return request("Uploading Image \"" + path + "\" ...", [&](std::string& response) {
    http_.Request.ContentType = "multipart/form-data; boundary=" + std::string(kUploadBoundary);
    http_.Post(ScriptUrl(context_.BaseUrl), body, response);
  });
}

}  // namespace pellora::images
