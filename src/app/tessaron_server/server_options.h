// The command line of tessaron-server:
//   --root DIR        the installation folder; its items live in DIR/contents
//   --token T         the access token that writes must present (required)
//   --base PATH       where the installation appears (default /tessaron)
//   --port N          TCP port, 0 picks a free one (default 0)
//   --bind ADDR       IPv4 address to listen on (default 127.0.0.1)
//   --framing KIND    length (default), chunked or close: how answer bodies
//                     are framed, so each of a client's reading paths can be
//                     exercised against a real server
//   --idle-timeout S  seconds a connection may stay silent (default 30)
//   --request-timeout S  seconds one request may take to arrive, head and
//                     body together (default 60)
//   --per-address N   connections one client address may hold (default 32)
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "app/tessaron_server/http_response.h"

namespace pellora::tessaron {

struct ServerOptions {
  std::string root;
  std::string token;
  std::string basePath = "/tessaron";  // normalised
  int port = 0;
  std::string bindAddress = "127.0.0.1";
  Framing framing = Framing::Length;
  int idleTimeoutSeconds = 30;
  int requestTimeoutSeconds = 60;
  int connectionsPerAddress = 32;
};

// The options, or a message saying what is wrong with the command line.
std::variant<ServerOptions, std::string> parseServerOptions(const std::vector<std::string>& args);

inline constexpr const char* kUsage =
    "usage: tessaron-server --root DIR --token T [--base /tessaron] [--port N]\n"
    "                       [--bind 127.0.0.1] [--framing length|chunked|close]\n"
    "                       [--idle-timeout SECONDS] [--request-timeout SECONDS]\n"
    "                       [--per-address N]\n";

}  // namespace pellora::tessaron
