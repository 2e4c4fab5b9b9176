// Covered by tests/app/open_address_test.cpp (ItemPage*).
#include "app/tessaron_server/item_page.h"

#include "app/tessaron_server/form_body.h"
#include "app/tessaron_server/names.h"
#include "content/cp1252.h"
#include "content/url_encode.h"

namespace pellora::tessaron {

namespace {

std::string escapeHtml(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// The value of `name` in the target's query, decoded; nullopt when absent.
std::optional<std::string> queryValue(std::string_view target, std::string_view name) {
  const std::size_t question = target.find('?');
  if (question == std::string_view::npos) return std::nullopt;
  std::string_view query = target.substr(question + 1);
  query = query.substr(0, query.find('#'));
  for (std::size_t start = 0; start <= query.size();) {
    const std::size_t end = std::min(query.find('&', start), query.size());
    const std::string_view field = query.substr(start, end - start);
    start = end + 1;
    const std::size_t equals = field.find('=');
    if (equals != std::string_view::npos && field.substr(0, equals) == name)
      return percentDecode(field.substr(equals + 1));
  }
  return std::nullopt;
}

// host or host:port as a browser sends it; anything else could smuggle
// markup or a different address into the page.
bool plausibleHost(std::string_view host) {
  return !host.empty() && host.size() <= 255 &&
         host.find_first_not_of(
             "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
             "0123456789.-:[]") == std::string_view::npos;
}

}  // namespace

HttpResponse itemPage(const std::string& item, const HttpRequest& request, const SiteConfig& site,
                      ContentStore& store) {
  const auto token = queryValue(request.target, "auth");
  if (!token || !tokenMatches(*token, site.token)) return errorResponse(403);
  const auto host = request.header("Host");
  if (!host || !plausibleHost(*host)) return errorResponse(400);
  const std::string file = item + ".html";
  if (!isSafeFileName(file) || !store.open(file)) return errorResponse(404);

  // Item names are Windows-1252 like the items; the address carries UTF-8.
  const std::string base = "http://" + std::string(*host) + site.basePath;
  const std::string address = "pellora:open?url=" + content::UrlEncode(base) +
                              "&content=" + content::UrlEncode(content::cp1252ToUtf8(item)) +
                              "&auth=" + content::UrlEncode(site.token);
  const std::string name = escapeHtml(item);
  HttpResponse response;
  response.body = "<!DOCTYPE html>\n<html><head><meta charset=\"windows-1252\"><title>" + name +
                  "</title></head>\n<body><h1>" + name + "</h1>\n<p><a href=\"" +
                  escapeHtml(site.basePath + "/contents/" + content::UrlEncode(file)) +
                  "\">View</a> | <a id=\"open-in-pellora\" href=\"" + escapeHtml(address) +
                  "\">Open in Pellora</a></p>\n</body></html>\n";
  return response;
}

}  // namespace pellora::tessaron
