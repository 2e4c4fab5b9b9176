// Covered by tests/app/tessaron_server_test.cpp (RequestHead*).
#include "app/tessaron_server/http_request.h"

#include <cctype>

namespace pellora::tessaron {

namespace {

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool isTokenChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (std::isalnum(u)) return true;
  return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool isToken(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!isTokenChar(c)) return false;
  }
  return true;
}

bool hasControlBytes(std::string_view text) {
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) return true;
  }
  return false;
}

HeadParse failed(int status) {
  HeadParse result;
  result.state = HeadParse::State::Failed;
  result.status = status;
  return result;
}

// Parses the request line into `request`; 0 or the status to fail with.
int parseRequestLine(std::string_view line, HttpRequest& request) {
  const std::size_t first = line.find(' ');
  if (first == std::string_view::npos) return 400;
  const std::size_t second = line.find(' ', first + 1);
  if (second == std::string_view::npos) return 400;
  const std::string_view method = line.substr(0, first);
  const std::string_view target = line.substr(first + 1, second - first - 1);
  const std::string_view version = line.substr(second + 1);
  if (!isToken(method) || target.empty() || hasControlBytes(target) ||
      target.find(' ') != std::string_view::npos) {
    return 400;
  }
  if (version.size() != 8 || version.substr(0, 5) != "HTTP/" ||
      !std::isdigit(static_cast<unsigned char>(version[5])) || version[6] != '.' ||
      !std::isdigit(static_cast<unsigned char>(version[7]))) {
    return 400;
  }
  if (version[5] != '1') return 505;
  request.method = std::string(method);
  request.target = std::string(target);
  request.minorVersion = version[7] - '0';
  return 0;
}

// The announced body length, or the status to fail with.
struct BodyLength {
  std::size_t bytes = 0;
  int status = 0;
};

BodyLength announcedLength(const HttpRequest& request, const RequestLimits& limits) {
  BodyLength result;
  bool seen = false;
  for (const auto& [name, value] : request.headers) {
    if (!equalsIgnoreCase(name, "Content-Length")) continue;
    if (value.empty()) return {0, 400};
    std::size_t length = 0;
    for (char c : value) {
      if (!std::isdigit(static_cast<unsigned char>(c))) return {0, 400};
      if (length > limits.maxBodyBytes) break;  // no overflow: already too large
      length = length * 10 + static_cast<std::size_t>(c - '0');
    }
    if (length > limits.maxBodyBytes) return {0, 413};
    if (seen && length != result.bytes) return {0, 400};
    seen = true;
    result.bytes = length;
  }
  if (!seen && request.method == "POST") return {0, 411};
  return result;
}

}  // namespace

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::optional<std::string_view> HttpRequest::header(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (equalsIgnoreCase(key, name)) return std::string_view(value);
  }
  return std::nullopt;
}

HeadParse parseRequestHead(std::string_view received, const RequestLimits& limits) {
  std::size_t pos = 0;
  // Stray line ends before a request line are tolerated.
  while (pos < received.size() && (received[pos] == '\r' || received[pos] == '\n')) {
    if (pos >= limits.maxHeadBytes) return failed(431);
    ++pos;
  }
  HeadParse result;
  bool haveRequestLine = false;
  while (true) {
    const std::size_t newline = received.find('\n', pos);
    if (newline == std::string_view::npos) {
      if (received.size() > limits.maxHeadBytes) return failed(431);
      return result;  // incomplete
    }
    if (newline + 1 > limits.maxHeadBytes) return failed(431);
    std::string_view line = received.substr(pos, newline - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = newline + 1;
    if (!haveRequestLine) {
      if (const int status = parseRequestLine(line, result.request)) return failed(status);
      haveRequestLine = true;
      continue;
    }
    if (line.empty()) break;
    if (line.front() == ' ' || line.front() == '\t') return failed(400);  // folded lines
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || !isToken(line.substr(0, colon))) return failed(400);
    const std::string_view value = trim(line.substr(colon + 1));
    for (char c : value) {
      if (c != '\t' && (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)) return failed(400);
    }
    if (result.request.headers.size() >= limits.maxHeaders) return failed(431);
    result.request.headers.emplace_back(std::string(line.substr(0, colon)), std::string(value));
  }
  if (result.request.header("Transfer-Encoding")) return failed(501);
  const BodyLength length = announcedLength(result.request, limits);
  if (length.status) return failed(length.status);
  result.state = HeadParse::State::Complete;
  result.headBytes = pos;
  result.bodyBytes = length.bytes;
  return result;
}

bool wantsKeepAlive(const HttpRequest& request) {
  const auto connection = request.header("Connection");
  if (request.minorVersion >= 1) return !(connection && equalsIgnoreCase(*connection, "close"));
  return connection && equalsIgnoreCase(*connection, "keep-alive");
}

}  // namespace pellora::tessaron
