// What a POST to the script asks for, decided from the request alone: store
// a content item (fields content, htmlsource, auth, edtype), delete an image
// (deleteimage, auth, content) or store an uploaded image (multipart parts
// auth, content, imagefile). The token is checked before anything else, and
// every name is checked before it can reach the file system. A refusal
// carries the text the script answers with, in the script's own style
// ("Error:<br>..."), which the editor shows to the user.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "app/tessaron_server/http_request.h"

namespace pellora::tessaron {

struct StoreContent {
  std::string file;  // "<content name>.html"
  std::string bytes;
};

struct DeleteImage {
  std::string file;
};

struct StoreImage {
  std::string file;
  std::string bytes;
};

struct Refusal {
  std::string text;
};

using EditAction = std::variant<StoreContent, DeleteImage, StoreImage, Refusal>;

inline constexpr std::string_view kAccessDenied = "Error:<br>Access <B>denied</B>";

EditAction interpretEditRequest(const HttpRequest& request, std::string_view token);

}  // namespace pellora::tessaron
