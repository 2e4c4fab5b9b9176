// Where a request target leads in an installation served under a base path:
// `<base>/contents/<file>` names a file of the contents folder (the last
// segment, percent-decoded), `<base>/edit.php` is the script,
// `<base>/items/<name>` an item's page (see item_page.h). A query or
// fragment is ignored; an absolute target (as a proxy forwards it) is reduced
// to its path first. Anything else leads nowhere.
#pragma once

#include <string>
#include <string_view>

namespace pellora::tessaron {

struct Route {
  enum class Kind { ContentsFile, EditScript, ItemPage, Nowhere } kind = Kind::Nowhere;
  std::string file;  // ContentsFile, ItemPage: the decoded name, not yet checked
};

// `base` starts with "/" and has no trailing "/", or is empty for an
// installation at the root.
Route routeTarget(std::string_view target, std::string_view base);

// `base` as given on the command line, normalised to the form routeTarget
// expects; `ok` is false when it is unusable.
struct BasePath {
  bool ok = false;
  std::string path;
};
BasePath normaliseBasePath(std::string_view base);

}  // namespace pellora::tessaron
