// Covered by tests/app/open_address_test.cpp.
#include "app/host/open_address.h"

#include <glib.h>

#include <algorithm>
#include <cctype>
#include <map>

#include "content/hex_digits.h"

namespace pellora::host {

namespace {

constexpr std::string_view kScheme = "pellora:";
constexpr std::string_view kAction = "open?";
constexpr std::size_t kMaxAddress = 8192;

std::string lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

// Percent-decoded UTF-8 without control characters, or nullopt.
std::optional<std::string> decode(std::string_view raw) {
  std::string out;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '+') {
      out += ' ';
    } else if (raw[i] == '%') {
      const std::optional<char> byte = content::percentEscapeAt(raw, i);
      if (!byte) return std::nullopt;
      out += *byte;
      i += 2;
    } else {
      out += raw[i];
    }
  }
  const bool control = std::any_of(out.begin(), out.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
  });
  if (control || !g_utf8_validate(out.data(), static_cast<gssize>(out.size()), nullptr))
    return std::nullopt;
  return out;
}

struct BaseParts {
  std::string scheme, host, port, path;
};

// An http(s) base address split up, or nullopt with `error` set.
std::optional<BaseParts> splitBase(std::string_view url, std::string& error) {
  BaseParts parts;
  const std::size_t colon = url.find("://");
  parts.scheme = lower(url.substr(0, colon == std::string_view::npos ? 0 : colon));
  if (parts.scheme != "http" && parts.scheme != "https") {
    error = "the installation's address is not an http or https address";
    return std::nullopt;
  }
  const std::string_view rest = url.substr(colon + 3);
  const std::size_t slash = std::min(rest.find('/'), rest.size());
  const std::string_view authority = rest.substr(0, slash);
  const std::string_view path = rest.substr(slash);
  if (path.find_first_of("?#\\ ") != std::string_view::npos) {
    error = "the installation's address has a query, fragment or blank";
    return std::nullopt;
  }
  std::string_view host = authority;
  if (!host.empty() && host.front() == '[') {
    const std::size_t close = host.find(']');
    if (close == std::string_view::npos) host = {};
    parts.host = std::string(host.substr(0, close + 1));
    host = host.substr(std::min(close + 1, host.size()));
    if (parts.host.size() < 3 ||
        parts.host.find_first_not_of("[]0123456789abcdefABCDEF:.") != std::string::npos) {
      parts.host.clear();
    }
  } else {
    const std::size_t portColon = host.find(':');
    parts.host = std::string(host.substr(0, portColon));
    host = host.substr(std::min(portColon, host.size()));
    if (parts.host.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                     "0123456789.-") != std::string::npos) {
      parts.host.clear();
    }
  }
  if (parts.host.empty()) {
    error = "the installation's address names no host (or a user name)";
    return std::nullopt;
  }
  if (!host.empty()) {
    parts.port = std::string(host.substr(1));
    const bool digits = !parts.port.empty() && parts.port.size() <= 5 &&
                        parts.port.find_first_not_of("0123456789") == std::string::npos;
    if (!digits || std::stoi(parts.port) < 1 || std::stoi(parts.port) > 65535) {
      error = "the installation's address has a bad port";
      return std::nullopt;
    }
  }
  parts.path = std::string(path);
  while (!parts.path.empty() && parts.path.back() == '/') parts.path.pop_back();
  return parts;
}

ParsedOpenAddress refuse(std::string why) { return {std::nullopt, std::move(why)}; }

}  // namespace

bool looksLikeOpenAddress(std::string_view text) {
  return text.size() >= kScheme.size() && lower(text.substr(0, kScheme.size())) == kScheme;
}

ParsedOpenAddress parseOpenAddress(std::string_view address) {
  if (!looksLikeOpenAddress(address)) return refuse("not a pellora: address");
  if (address.size() > kMaxAddress) return refuse("the address is too long");
  std::string_view rest = address.substr(kScheme.size());
  if (rest.substr(0, kAction.size()) != kAction) return refuse("the address asks for no item");
  rest.remove_prefix(kAction.size());
  if (rest.find_first_of(" \t\r\n#") != std::string_view::npos)
    return refuse("the address holds a blank, a line break or a fragment");

  std::map<std::string, std::string> fields;
  for (std::size_t start = 0; start <= rest.size();) {
    const std::size_t end = std::min(rest.find('&', start), rest.size());
    const std::string_view field = rest.substr(start, end - start);
    start = end + 1;
    if (field.empty()) continue;
    const std::size_t equals = field.find('=');
    if (equals == std::string_view::npos) return refuse("a field has no value");
    const std::string name(field.substr(0, equals));
    if (name != "url" && name != "content" && name != "auth" && name != "options") continue;
    const auto value = decode(field.substr(equals + 1));
    if (!value) return refuse("the field " + name + " is not well encoded");
    if (!fields.emplace(name, *value).second)
      return refuse("the field " + name + " is given twice");
  }

  OpenRequest request{fields["url"], fields["content"], fields["auth"], fields["options"]};
  std::string error;
  if (request.url.empty()) return refuse("the address names no installation");
  if (!splitBase(request.url, error)) return refuse(error);
  if (request.content.empty()) return refuse("the address names no item");
  for (const std::string* value :
       {&request.url, &request.content, &request.auth, &request.options}) {
    // The host passes them on as quoted words.
    if (value->find('"') != std::string::npos) return refuse("a field holds a double quote");
  }
  if (request.content.find_first_of("/\\") != std::string::npos)
    return refuse("the item's name holds a path");
  return {std::move(request), {}};
}

std::string installationKey(std::string_view url) {
  std::string ignored;
  const auto parts = splitBase(url, ignored);
  if (!parts) return {};
  const bool defaultPort = (parts->scheme == "http" && parts->port == "80") ||
                           (parts->scheme == "https" && parts->port == "443");
  std::string key = parts->scheme + "://" + lower(parts->host);
  if (!parts->port.empty() && !defaultPort) key += ":" + parts->port;
  return key + parts->path;
}

}  // namespace pellora::host
