// Covered by tests/app/tessaron_server_test.cpp (Routes*).
#include "app/tessaron_server/routes.h"

#include "app/tessaron_server/form_body.h"
#include "app/tessaron_server/http_request.h"

namespace pellora::tessaron {

namespace {

// The path of a request target: without query and fragment, and without
// scheme and authority in the absolute form.
std::string_view pathOf(std::string_view target) {
  target = target.substr(0, target.find_first_of("?#"));
  if (target.size() > 7 && equalsIgnoreCase(target.substr(0, 7), "http://")) {
    const std::size_t slash = target.find('/', 7);
    return slash == std::string_view::npos ? std::string_view("/") : target.substr(slash);
  }
  return target;
}

std::string percentDecodePath(std::string_view segment) {
  // "+" is a plus in a path; only a form body reads it as a blank.
  std::string out;
  std::size_t start = 0;
  for (std::size_t plus = segment.find('+'); plus != std::string_view::npos;
       plus = segment.find('+', start)) {
    out += percentDecode(segment.substr(start, plus - start));
    out += '+';
    start = plus + 1;
  }
  out += percentDecode(segment.substr(start));
  return out;
}

}  // namespace

Route routeTarget(std::string_view target, std::string_view base) {
  const std::string_view path = pathOf(target);
  if (path.substr(0, base.size()) != base) return {};
  const std::string_view rest = path.substr(base.size());
  if (rest == "/edit.php") return {Route::Kind::EditScript, {}};
  for (const auto& [folder, kind] :
       {std::pair{std::string_view("/contents/"), Route::Kind::ContentsFile},
        std::pair{std::string_view("/items/"), Route::Kind::ItemPage}}) {
    if (rest.substr(0, folder.size()) != folder) continue;
    const std::string_view segment = rest.substr(folder.size());
    if (segment.empty() || segment.find('/') != std::string_view::npos) return {};
    return {kind, percentDecodePath(segment)};
  }
  return {};
}

BasePath normaliseBasePath(std::string_view base) {
  while (!base.empty() && base.back() == '/') base.remove_suffix(1);
  if (base.empty()) return {true, {}};
  if (base.front() != '/') return {};
  for (char c : base) {
    const auto u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u >= 0x7F || c == '?' || c == '#' || c == '%') return {};
  }
  return {true, std::string(base)};
}

}  // namespace pellora::tessaron
