#include "exchange/http_url.h"

#include <algorithm>
#include <charconv>

#include "exchange/http_text.h"

// Covered by tests/exchange/http_url_test.cpp.

namespace pellora::exchange {

int portNumber(const std::string& port) {
  int value = -1;
  const char* end = port.data() + port.size();
  auto [ptr, ec] = std::from_chars(port.data(), end, value);
  if (port.empty() || ec != std::errc() || ptr != end || value < 0 || value > 65535) return -1;
  return value;
}

HttpUrl parseHttpUrl(const std::string& input) {
  std::string url = input;
  std::replace(url.begin(), url.end(), '\\', '/');

  HttpUrl result;
  std::size_t rest = 0;
  if (auto sep = url.find("://"); sep != std::string::npos) {
    result.scheme = url.substr(0, sep);
    rest = sep + 3;
  } else {
    result.scheme = "http";
  }

  // The authority ends where the path, a query or a fragment begins.
  const std::size_t end = url.find_first_of("/?#", rest);
  std::string authority =
      url.substr(rest, end == std::string::npos ? std::string::npos : end - rest);
  std::string target = end == std::string::npos ? std::string() : url.substr(end);
  if (auto hash = target.find('#'); hash != std::string::npos) target.erase(hash);
  if (target.empty() || target.front() != '/') target.insert(0, "/");
  result.target = target;

  // The last "@" ends the credentials: a password may itself hold an "@".
  if (auto at = authority.rfind('@'); at != std::string::npos) {
    std::string credentials = authority.substr(0, at);
    authority.erase(0, at + 1);
    if (auto colon = credentials.find(':'); colon != std::string::npos) {
      result.user = credentials.substr(0, colon);
      result.password = credentials.substr(colon + 1);
    } else {
      result.user = credentials;
    }
  }

  // A bracketed IPv6 literal holds colons of its own.
  std::size_t portColon = std::string::npos;
  if (!authority.empty() && authority.front() == '[') {
    if (auto close = authority.find(']'); close != std::string::npos) {
      result.host = authority.substr(1, close - 1);
      if (close + 1 < authority.size() && authority[close + 1] == ':') portColon = close + 1;
    } else {
      result.host = authority;
    }
  } else {
    portColon = authority.rfind(':');
    result.host = authority.substr(0, portColon);
  }
  if (portColon != std::string::npos) result.port = authority.substr(portColon + 1);
  if (result.port.empty()) result.port = equalsIgnoringCase(result.scheme, "https") ? "443" : "80";
  return result;
}

std::string HttpUrl::hostHeader() const {
  const bool bracket = host.find(':') != std::string::npos;
  std::string value = bracket ? "[" + host + "]" : host;
  if (portNumber(port) != 80) value += ":" + port;
  return value;
}

std::string HttpUrl::absoluteTarget() const {
  const bool bracket = host.find(':') != std::string::npos;
  return scheme + "://" + (bracket ? "[" + host + "]" : host) + ":" + port + target;
}

std::string HttpUrl::directory() const {
  std::string path = target.substr(0, target.find('?'));
  const std::size_t last = path.rfind('/');
  return last == std::string::npos ? "/" : path.substr(0, last + 1);
}

}  // namespace pellora::exchange
