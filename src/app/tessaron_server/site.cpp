// Covered by tests/app/tessaron_server_test.cpp (Site*).
#include "app/tessaron_server/site.h"

#include <type_traits>

#include "app/tessaron_server/edit_request.h"
#include "app/tessaron_server/item_page.h"
#include "app/tessaron_server/names.h"
#include "app/tessaron_server/routes.h"

namespace pellora::tessaron {

namespace {

HttpResponse text(std::string body) {
  HttpResponse response;
  response.body = std::move(body);
  return response;
}

HttpResponse methodNotAllowed(std::string allow) {
  HttpResponse response = errorResponse(405);
  response.allow = std::move(allow);
  return response;
}

HttpResponse serveFile(const std::string& file, ContentStore& store) {
  if (!isSafeFileName(file)) return errorResponse(404);
  std::unique_ptr<BodyReader> bytes = store.open(file);
  if (!bytes) return errorResponse(404);
  HttpResponse response;
  response.contentType = contentTypeOf(file);
  response.stream = std::move(bytes);
  return response;
}

HttpResponse perform(const EditAction& action, ContentStore& store) {
  return std::visit(
      [&](const auto& step) -> HttpResponse {
        using Step = std::decay_t<decltype(step)>;
        if constexpr (std::is_same_v<Step, Refusal>) {
          return text(step.text);
        } else if constexpr (std::is_same_v<Step, DeleteImage>) {
          switch (store.remove(step.file)) {
            case ContentStore::Removal::Removed:
              return text("OK");
            case ContentStore::Removal::Missing:
              return text("Error:<br>File not found");
            case ContentStore::Removal::Failed:
              break;
          }
          return text("Error:<br>Could not delete the file");
        } else {
          const ByteSource source = [&](const ByteSink& sink) { return step.bytes.produce(sink); };
          if (!store.writeFrom(step.file, source))
            return text("Error:<br>Could not store the file");
          return text("OK");
        }
      },
      action);
}

}  // namespace

std::string contentTypeOf(std::string_view file) {
  if (const std::string_view image = imageTypeOf(file); !image.empty()) return std::string(image);
  const std::size_t point = file.rfind('.');
  const std::string_view extension =
      point == std::string_view::npos ? std::string_view() : file.substr(point + 1);
  if (equalsIgnoreCase(extension, "html") || equalsIgnoreCase(extension, "htm")) {
    return "text/html; charset=windows-1252";
  }
  return "application/octet-stream";
}

HttpResponse handleRequest(HttpRequest request, const SiteConfig& site, ContentStore& store) {
  const Route route = routeTarget(request.target, site.basePath);
  switch (route.kind) {
    case Route::Kind::Nowhere:
      return errorResponse(404);
    case Route::Kind::ContentsFile:
      if (request.method != "GET" && request.method != "HEAD") return methodNotAllowed("GET, HEAD");
      return serveFile(route.file, store);
    case Route::Kind::ItemPage:
      if (request.method != "GET") return methodNotAllowed("GET");
      return itemPage(route.file, request, site, store);
    case Route::Kind::EditScript:
      if (request.method != "POST") return methodNotAllowed("POST");
      return perform(interpretEditRequest(std::move(request), site.token), store);
  }
  return errorResponse(500);
}

}  // namespace pellora::tessaron
