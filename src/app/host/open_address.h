// A pellora: address: how an installation's web page opens one of its items
// in the desktop editor ("Open in Pellora"). The form is
//
//   pellora:open?url=BASE&content=ITEM&auth=TOKEN[&options=WORDS]
//
// with each value percent-encoded ("+" is a blank, as forms encode it);
// the names are Params' and Options' arguments. Other names are ignored, so
// a later page may add some; a name given twice is refused. BASE must be an
// http or https address with a host (no user name, no query or fragment),
// ITEM one item name (no "/" or "\"), and no value may hold a control
// character or anything but UTF-8. The address comes from any web page, so
// a parse that fails says why and yields nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pellora::host {

struct OpenRequest {
  std::string url, content, auth, options;  // UTF-8
};

struct ParsedOpenAddress {
  std::optional<OpenRequest> request;
  std::string error;  // why there is none
};

ParsedOpenAddress parseOpenAddress(std::string_view address);

// True for text that starts like a pellora: address (whether or not it
// parses), so the command line can tell one from a mistyped option.
bool looksLikeOpenAddress(std::string_view text);

// The installation a base address names, in the one spelling the settings
// store keeps: scheme and host in lower case, the scheme's own port left
// out, no trailing "/". Only for a `url` that parseOpenAddress accepted.
std::string installationKey(std::string_view url);

}  // namespace pellora::host
