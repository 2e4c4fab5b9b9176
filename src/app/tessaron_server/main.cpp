// tessaron-server: a small Tessaron-compatible installation for the demo and
// the integration tests. See server_options.h for the command line. Once it
// listens it prints "listening on http://ADDRESS:PORT/BASE" on a line of its
// own, so a parent that asked for port 0 learns the port.
#include <csignal>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string_view>
#include <variant>

#include "app/tessaron_server/content_store.h"
#include "app/tessaron_server/listener.h"
#include "app/tessaron_server/server_options.h"

namespace {

constexpr const char* kHelp =
    "\n"
    "Serves a Tessaron installation whose content items are the files in\n"
    "DIR/contents: GET BASE/contents/NAME.html answers an item, POST\n"
    "BASE/edit.php stores one (or deletes or uploads an image) when it carries\n"
    "the token, and GET BASE/items/NAME?auth=TOKEN answers the item's page with\n"
    "its \"Open in Pellora\" link. Once it listens it prints \"listening on URL\".\n"
    "\n"
    "  --root DIR             the installation folder\n"
    "  --token T              the access token that writes must present\n"
    "  --base PATH            where the installation appears (/tessaron)\n"
    "  --port N               TCP port; 0 picks a free one (0)\n"
    "  --bind ADDR            IPv4 address to listen on (127.0.0.1)\n"
    "  --framing KIND         length, chunked or close: how answers are framed\n"
    "  --idle-timeout S       seconds a connection may stay silent (30)\n"
    "  --request-timeout S    seconds one request may take to arrive (60)\n"
    "  --per-address N        connections one client address may hold (32)\n"
    "  --help                 this text\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace pellora::tessaron;
  std::signal(SIGPIPE, SIG_IGN);
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "--help" || std::string_view(argv[i]) == "-h") {
      std::printf("%s%s", kUsage, kHelp);
      return 0;
    }
  }
  const auto parsed = parseServerOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (const auto* message = std::get_if<std::string>(&parsed)) {
    std::fprintf(stderr, "tessaron-server: %s\n%s", message->c_str(), kUsage);
    return 2;
  }
  const ServerOptions& options = std::get<ServerOptions>(parsed);
  try {
    const std::filesystem::path contents = std::filesystem::path(options.root) / "contents";
    std::filesystem::create_directories(contents);
    DiskContentStore store(contents);
    // A save killed while writing leaves its temporary file behind.
    if (const std::size_t stale = store.removeStaleTemporaries()) {
      std::fprintf(stderr, "tessaron-server: removed %zu unfinished temporary files\n", stale);
    }
    Listener listener(options.bindAddress, options.port);
    ConnectionSettings settings;
    settings.site = {options.basePath, options.token};
    settings.framing = options.framing;
    settings.idleTimeout = std::chrono::seconds(options.idleTimeoutSeconds);
    settings.requestTimeout = std::chrono::seconds(options.requestTimeoutSeconds);
    settings.maxConnectionsPerAddress = static_cast<std::size_t>(options.connectionsPerAddress);
    Server server(listener, settings, store);
    std::printf("listening on http://%s:%d%s\n", options.bindAddress.c_str(), listener.port(),
                options.basePath.c_str());
    std::fflush(stdout);
    server.run();
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "tessaron-server: %s\n", failure.what());
    return 1;
  }
  return 0;
}
