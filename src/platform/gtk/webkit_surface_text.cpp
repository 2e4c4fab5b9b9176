#include "platform/gtk/webkit_surface_text.h"

#include <algorithm>
#include <cctype>

#include "platform/gtk/local_addresses.h"
#include "platform/gtk/surface_scripts.h"

namespace pellora::gtk {

namespace {

bool lowerEquals(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool authorityChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == ':' ||
         c == '[' || c == ']';
}

// Removes every element opened by `open` up to and including `close`.
void removeElements(std::string& text, std::string_view open, std::string_view close) {
  for (std::size_t at = text.find(open); at != std::string::npos; at = text.find(open, at)) {
    const std::size_t end = text.find(close, at + open.size());
    text.erase(at, end == std::string::npos ? std::string::npos : end + close.size() - at);
  }
}

}  // namespace

std::optional<std::string> serverOrigin(std::string_view baseUrl) {
  const std::size_t colon = baseUrl.find("://");
  if (colon == std::string_view::npos) return std::nullopt;
  const std::string_view scheme = baseUrl.substr(0, colon);
  if (!lowerEquals(scheme, "http") && !lowerEquals(scheme, "https")) return std::nullopt;
  const std::string_view rest = baseUrl.substr(colon + 3);
  const std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
  // Credentials or anything beyond host and port stay out of the policy.
  if (authority.empty() || !std::all_of(authority.begin(), authority.end(), authorityChar)) {
    return std::nullopt;
  }
  std::string origin;
  for (char c : scheme) origin += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  origin.append("://").append(authority);
  return origin;
}

std::string contentPolicyElement(std::string_view baseUrl, unsigned put) {
  std::string server;
  if (const auto origin = serverOrigin(baseUrl)) server = " " + *origin;
  return "<meta id=\"" + std::string(kPolicyId) + "\" data-put=\"" + std::to_string(put) +
         "\" http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; img-src" +
         server + " " + std::string(kLocalScheme) +
         ": data: blob:; connect-src blob: data:; style-src 'unsafe-inline'" + server +
         "; font-src" + server + " data:; media-src" + server + "\">";
}

std::string removeSurfaceAdditions(std::string_view text) {
  std::string out(text);
  removeElements(out, "<meta id=\"" + std::string(kPolicyId) + "\"", ">");
  removeElements(out, "<style id=\"" + std::string(kDetailsStyleId) + "\"", "</style>");
  return out;
}

const std::vector<BlockFormat>& blockFormatTable() {
  static const std::vector<BlockFormat> table = {
      {"Normal", "p"},        {"Formatted", "pre"},
      {"Address", "address"}, {"Heading 1", "h1"},
      {"Heading 2", "h2"},    {"Heading 3", "h3"},
      {"Heading 4", "h4"},    {"Heading 5", "h5"},
      {"Heading 6", "h6"},    {"Block Quote", "blockquote"},
  };
  return table;
}

std::string blockFormatName(std::string_view element) {
  // Text straight in the body or in a plain division reads as normal text.
  if (element.empty() || lowerEquals(element, "div")) return "Normal";
  for (const BlockFormat& format : blockFormatTable()) {
    if (lowerEquals(element, format.element)) return format.name;
  }
  return {};
}

std::optional<std::string> blockFormatElement(std::string_view name) {
  for (const BlockFormat& format : blockFormatTable()) {
    if (lowerEquals(name, format.name)) return std::string(format.element);
  }
  return std::nullopt;
}

}  // namespace pellora::gtk
