// The address scheme of local_addresses.h, served to our web views. A view
// is answered only files its document refers to; every other request, and
// any from a view not listed, is refused. Registered on the default
// web context the first time a view is listed.
#pragma once

#include <webkit2/webkit2.h>

#include <set>
#include <string>

namespace pellora::gtk {

// Lets `view` load the files whose file:/// addresses are in `files`, which
// the caller keeps up to date and alive until it calls forgetLocalFiles.
void serveLocalFiles(WebKitWebView* view, const std::set<std::string>& files);
void forgetLocalFiles(WebKitWebView* view);

}  // namespace pellora::gtk
