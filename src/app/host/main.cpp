// pellora: the host program. A window that plays the host web page: it
// loads the control module, creates the control, calls Params / Options /
// Load from its command line and offers the page's own Save and Close
// buttons. --demo runs the bundled server over a sample installation;
// --script drives the control line by line.
#include <gtk/gtk.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/host/event_sink.h"
#include "app/host/host_window.h"
#include "app/host/installation_trust.h"
#include "app/host/module_client.h"
#include "app/host/open_address.h"
#include "app/host/script.h"
#include "app/host/server_process.h"

namespace fs = std::filesystem;
using namespace pellora::host;

namespace {

constexpr const char* kUsage =
    "usage: pellora [OPTIONS] [pellora:open?url=BASE&content=ITEM&auth=TOKEN]\n"
    "\n"
    "Hosts the Pellora editor control in a window, as a Tessaron web page does.\n"
    "A pellora: address (an installation's \"Open in Pellora\" link) gives the\n"
    "installation, the item and the token (percent-encoded; &options=WORDS\n"
    "too); before the token goes to an installation not opened before, the\n"
    "host shows it and asks, and remembers the answer Open.\n"
    "\n"
    "  --module PATH     the control module (default: the one registered with\n"
    "                    pellora-regsvr, else pellora.ocx beside this program\n"
    "                    or in ../lib/pellora)\n"
    "  --url URL         the installation's base address      (Params Url)\n"
    "  --content NAME    the content item, e.g. \"Sample 1\"    (Params Content)\n"
    "  --auth TOKEN      the access token                     (Params Auth)\n"
    "  --options WORDS   option words: nohtml nostyle nofont noimage notable\n"
    "  --demo            start tessaron-server on a free loopback port over a\n"
    "                    copy of the sample installation and load \"Sample 1\"\n"
    "  --demo-root DIR   use DIR as the demo installation instead of a copy\n"
    "  --script FILE     run the automation steps of FILE, then quit\n"
    "                    (see below; \"-\" reads standard input)\n"
    "  --events          print the control's events as they arrive\n"
    "  --events=NAMES    print only the events named (OnKeyPress,OnClick)\n"
    "  --timestamps      put the time (monotonic clock, ms) before each script\n"
    "                    step as it starts, and print it again when it ends\n"
    "  --help            this text\n"
    "\n"
    "With --url (or --demo) the host calls Params, Options and Load at start.\n"
    "The window's Save and Close buttons call the control's Save and Close; a\n"
    "save the server acknowledged closes the editor. Closing the editor or the\n"
    "window with unsaved edits asks whether to save them first.\n"
    "\n"
    "Script steps (one per line, \"#\" starts a comment, \"double quotes\" keep\n"
    "blanks in one word; a step that cannot act fails, and then the run exits 1;\n"
    "a window the script does not answer is closed after 10 s and fails):\n"
    "%s"
    "\n"
    "Settings (proxy, language) and registrations live in\n"
    "$PELLORA_REGISTRY_DIR, else ${XDG_CONFIG_HOME:-~/.config}/pellora/.\n";

struct Options {
  std::string module, url, content = "Sample 1", auth, options, script, demoRoot, address;
  bool demo = false, timestamps = false;
  EventFilter events;
};

fs::path programDir() {
  std::error_code error;
  return fs::read_symlink("/proc/self/exe", error).parent_path();
}

// The sample installation: share/demo in the source tree next to the build,
// or share/pellora/demo of an installation.
fs::path sampleInstallation() {
  for (fs::path dir = programDir(); !dir.empty() && dir != dir.root_path();
       dir = dir.parent_path()) {
    for (const char* sample : {"share/demo", "share/pellora/demo"}) {
      if (fs::exists(dir / sample / "contents")) return dir / sample;
    }
  }
  return {};
}

// The module beside the program in the build, else where an installation
// keeps it.
fs::path bundledModule() {
  const fs::path beside = programDir() / "pellora.ocx";
  const fs::path installed = programDir().parent_path() / "lib/pellora/pellora.ocx";
  return fs::exists(beside) || !fs::exists(installed) ? beside : installed;
}

std::vector<std::string> readLines(const std::string& file) {
  std::vector<std::string> lines;
  std::string line;
  if (file == "-") {
    while (std::getline(std::cin, line)) lines.push_back(line);
  } else {
    std::ifstream in(file);
    while (std::getline(in, line)) lines.push_back(line);
  }
  return lines;
}

// A private copy of the sample, so the demo never changes the shipped one.
struct TempDir {
  fs::path path;
  ~TempDir() {
    std::error_code ignored;
    if (!path.empty()) fs::remove_all(path, ignored);
  }
};

// Params from a pellora: address, once the user agreed to its installation.
bool takeOpenAddress(Options& o, bool display) {
  const ParsedOpenAddress parsed = parseOpenAddress(o.address);
  if (!parsed.request) {
    std::fprintf(stderr, "pellora: refused the address: %s\n", parsed.error.c_str());
    return false;
  }
  const OpenRequest& request = *parsed.request;
  std::printf("pellora: \"%s\" from %s\n", request.content.c_str(), request.url.c_str());
  std::fflush(stdout);
  auto store = pellora::settings::RegistryStore::forProcess();
  if (!mayOpenFrom(request, store, display ? Asking::OnDisplay : Asking::Never)) {
    std::fprintf(stderr, "pellora: not opened: %s was not confirmed\n", request.url.c_str());
    return false;
  }
  o.url = request.url;
  o.content = request.content;
  o.auth = request.auth;
  if (!request.options.empty()) o.options = request.options;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "pellora: %s needs a value\n", arg.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    if (arg == "--help" || arg == "-h") {
      std::printf(kUsage, scriptHelp().c_str());
      return 0;
    } else if (arg == "--module")
      o.module = value();
    else if (arg == "--url")
      o.url = value();
    else if (arg == "--content")
      o.content = value();
    else if (arg == "--auth")
      o.auth = value();
    else if (arg == "--options")
      o.options = value();
    else if (arg == "--script")
      o.script = value();
    else if (arg == "--demo")
      o.demo = true;
    else if (arg == "--timestamps")
      o.timestamps = true;
    else if (arg == "--demo-root")
      o.demoRoot = value();
    else if (auto events = EventFilter::fromOption(arg))
      o.events = std::move(*events);
    else if (looksLikeOpenAddress(arg) && o.address.empty())
      o.address = arg;
    else {
      std::fprintf(stderr, "pellora: unknown option %s (see pellora --help)\n", arg.c_str());
      return 2;
    }
  }
  const bool display = gtk_init_check(&argc, &argv);
  if (o.module.empty()) o.module = registeredModule();
  if (o.module.empty()) o.module = bundledModule().string();

  try {
    TempDir copy;
    std::unique_ptr<ServerProcess> server;
    if (o.demo) {
      fs::path root = o.demoRoot;
      if (root.empty()) {
        const fs::path sample = sampleInstallation();
        if (sample.empty())
          throw std::runtime_error("the sample installation share/demo is missing");
        char pattern[] = "/tmp/pellora-demo-XXXXXX";
        if (!mkdtemp(pattern)) throw std::runtime_error("cannot make a demo folder");
        copy.path = pattern;
        fs::copy(sample, copy.path, fs::copy_options::recursive);
        root = copy.path;
      }
      o.auth = o.auth.empty() ? "demo-token" : o.auth;
      server = std::make_unique<ServerProcess>((programDir() / "tessaron-server").string(),
                                               root.string(), o.auth);
      o.url = server->baseUrl();
      std::printf("tessaron-server: %s over %s\n", o.url.c_str(), root.c_str());
    }

    // Windows the control raises while it is built are answered too: the
    // watcher and the script's leading answers come first.
    std::optional<WindowWatcher> windows;
    if (display) windows.emplace();
    ScriptRunner runner(windows ? &*windows : nullptr, o.timestamps);
    std::vector<std::string> script;
    if (!o.script.empty()) script = readLines(o.script);
    std::size_t prepared = 0;
    while (prepared < script.size() && preparesWindows(script[prepared])) ++prepared;
    bool ok = runner.run({script.begin(), script.begin() + static_cast<long>(prepared)});
    if (!o.address.empty() && !takeOpenAddress(o, display)) return 1;

    // The sink outlives the control, which lets it go when it ends.
    EventSink events(o.events);
    ModuleClient control(o.module);
    if (!control.connectEvents(&events, EventSink::eventsIid()))
      std::fprintf(stderr, "pellora: the control takes no event sink\n");
    std::optional<HostWindow> host;
    if (display) host.emplace(control);
    GtkWidget* window = host ? host->window() : nullptr;
    if (window) {
      g_signal_connect(window, "destroy", G_CALLBACK(+[](GtkWidget*, gpointer) {
                         if (gtk_main_level() > 0) gtk_main_quit();
                       }),
                       nullptr);
    }

    runner.attach(control, window);
    std::vector<std::string> start;
    if (!o.url.empty()) {
      start.push_back("Params \"" + o.url + "\" \"" + o.content + "\" \"" + o.auth + "\"");
      if (!o.options.empty()) start.push_back("Options \"" + o.options + "\"");
      start.push_back("Load");
      if (display) start.push_back("wait");
    }
    ok = runner.run(start) && ok;
    if (!o.script.empty()) {
      ok = runner.run({script.begin() + static_cast<long>(prepared), script.end()}) && ok;
      // Unattended: the end of the script asks nothing (a `quit` step does).
      if (host) host->destroy();
      return ok ? 0 : 1;
    }
    if (!display) {
      std::fprintf(stderr, "pellora: no display; use --script to drive the control\n");
      return ok ? 0 : 1;
    }
    if (host && host->window()) gtk_main();
    return 0;
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "pellora: %s\n", failure.what());
    return 1;
  }
}
