// Covered by tests/app/tessaron_server_test.cpp (Options*) and
// tests/app/tessaron_server_slow_client_test.cpp.
#include "app/tessaron_server/server_options.h"

#include <arpa/inet.h>

#include <charconv>

#include "app/tessaron_server/names.h"
#include "app/tessaron_server/routes.h"

namespace pellora::tessaron {

namespace {

bool parseNumber(const std::string& text, int low, int high, int& out) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    return false;
  }
  out = value;
  return true;
}

}  // namespace

std::variant<ServerOptions, std::string> parseServerOptions(const std::vector<std::string>& args) {
  ServerOptions options;
  bool haveToken = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& option = args[i];
    if (i + 1 >= args.size()) return "missing value after " + option;
    const std::string& value = args[++i];
    if (option == "--root") {
      options.root = value;
    } else if (option == "--token") {
      if (!isUsableToken(value)) {
        return std::string(
            "the token must not be empty nor hold blanks, control bytes or any of +%&=");
      }
      options.token = value;
      haveToken = true;
    } else if (option == "--base") {
      const BasePath base = normaliseBasePath(value);
      if (!base.ok) return "unusable base path: " + value;
      options.basePath = base.path;
    } else if (option == "--port") {
      if (!parseNumber(value, 0, 65535, options.port)) return "unusable port: " + value;
    } else if (option == "--bind") {
      in_addr address{};
      if (::inet_pton(AF_INET, value.c_str(), &address) != 1) return "unusable address: " + value;
      options.bindAddress = value;
    } else if (option == "--framing") {
      if (value == "length") {
        options.framing = Framing::Length;
      } else if (value == "chunked") {
        options.framing = Framing::Chunked;
      } else if (value == "close") {
        options.framing = Framing::Close;
      } else {
        return "unknown framing: " + value;
      }
    } else if (option == "--idle-timeout") {
      if (!parseNumber(value, 1, 86400, options.idleTimeoutSeconds)) {
        return "unusable idle time-out: " + value;
      }
    } else if (option == "--request-timeout") {
      if (!parseNumber(value, 1, 86400, options.requestTimeoutSeconds)) {
        return "unusable request time-out: " + value;
      }
    } else if (option == "--per-address") {
      if (!parseNumber(value, 1, 100000, options.connectionsPerAddress)) {
        return "unusable connection limit: " + value;
      }
    } else {
      return "unknown option " + option;
    }
  }
  if (options.root.empty()) return std::string("--root is required");
  if (!haveToken) return std::string("--token is required");
  return options;
}

}  // namespace pellora::tessaron
