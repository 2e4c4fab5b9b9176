// An item's page, the installation's stand-in for a CMS's edit page:
// GET <base>/items/<name>?auth=TOKEN answers a small HTML page that names
// the item, links its body and offers "Open in Pellora", a pellora: address
// carrying the installation's base address (as the browser reached it, from
// the Host header), the item and the token. The page hands out the token,
// so it is served only to a request that presents it (as a CMS serves its
// edit page only to a logged-in user).
#pragma once

#include <string>

#include "app/tessaron_server/content_store.h"
#include "app/tessaron_server/http_request.h"
#include "app/tessaron_server/http_response.h"
#include "app/tessaron_server/site.h"

namespace pellora::tessaron {

// `item` is the decoded name from the target, without ".html".
HttpResponse itemPage(const std::string& item, const HttpRequest& request, const SiteConfig& site,
                      ContentStore& store);

}  // namespace pellora::tessaron
