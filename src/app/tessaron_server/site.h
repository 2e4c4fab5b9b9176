// One installation as the server presents it: a request in, an answer out.
// Files are read and written through a ContentStore, so the whole of the
// request handling runs in tests without a socket or a disk.
#pragma once

#include <string>

#include "app/tessaron_server/content_store.h"
#include "app/tessaron_server/http_request.h"
#include "app/tessaron_server/http_response.h"

namespace pellora::tessaron {

struct SiteConfig {
  std::string basePath;  // as normaliseBasePath gives it
  std::string token;
};

// Takes the request over, so a stored body is not copied.
HttpResponse handleRequest(HttpRequest request, const SiteConfig& site, ContentStore& store);

// The content type a file of the contents folder is served with.
std::string contentTypeOf(std::string_view file);

}  // namespace pellora::tessaron
