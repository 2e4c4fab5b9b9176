// pellora-regsvr [-u] MODULE: registers (or with -u unregisters) a control
// module through its own entry points, as a self-registering module is
// registered on Windows. pellora-regsvr -v MODULE prints the module's version
// resource without loading it.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "control/com/com_types.h"
#include "control/version_info.h"

namespace {

constexpr const char* kUsage =
    "usage: pellora-regsvr [-u] MODULE\n       pellora-regsvr -v MODULE\n";

int usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

int help() {
  std::printf(
      "%s\n"
      "Registers the Pellora control module MODULE through its own entry points,\n"
      "as a self-registering module is registered on Windows: its class, ProgID\n"
      "and type library rows go to the settings store, where the host pellora\n"
      "finds the module without --module.\n"
      "\n"
      "  -u        unregister: remove the rows again\n"
      "  -v        print the module's version resource without loading it\n"
      "  --help    this text\n"
      "\n"
      "The settings store lives in $PELLORA_REGISTRY_DIR, else\n"
      "${XDG_CONFIG_HOME:-~/.config}/pellora/.\n",
      kUsage);
  return 0;
}

int printVersion(const char* module) {
  std::ifstream file(module, std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  const auto fields = file ? pellora::versionFieldsFromElf(bytes.str()) : std::nullopt;
  if (!fields) {
    std::fprintf(stderr, "pellora-regsvr: %s carries no version resource\n", module);
    return 1;
  }
  for (const auto& [name, value] : *fields) std::printf("%s=%s\n", name.c_str(), value.c_str());
  return 0;
}

// Closes the module however the program ends.
struct ModuleHandle {
  void* handle;
  ~ModuleHandle() {
    if (handle) dlclose(handle);
  }
};

}  // namespace

int main(int argc, char** argv) {
  bool unregister = false, version = false;
  const char* module = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return help();
    if (std::strcmp(argv[i], "-u") == 0)
      unregister = true;
    else if (std::strcmp(argv[i], "-v") == 0)
      version = true;
    else if (!module)
      module = argv[i];
    else
      return usage();
  }
  if (!module || (version && unregister)) return usage();
  if (version) return printVersion(module);

  // A bare name would be searched in the library path; a module is a file.
  std::string path = module;
  if (path.find('/') == std::string::npos) path = "./" + path;
  ModuleHandle handle{dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)};
  if (!handle.handle) {
    std::fprintf(stderr, "pellora-regsvr: cannot load %s: %s\n", module, dlerror());
    return 1;
  }
  const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
  using EntryPoint = pellora::com::HRESULT (*)();
  auto function = reinterpret_cast<EntryPoint>(dlsym(handle.handle, entry));
  if (!function) {
    std::fprintf(stderr, "pellora-regsvr: %s is not a self-registering module (no %s)\n", module,
                 entry);
    return 1;
  }
  const pellora::com::HRESULT result = function();
  if (pellora::com::FAILED(result)) {
    std::fprintf(stderr, "pellora-regsvr: %s in %s failed (0x%08X)\n", entry, module,
                 static_cast<unsigned>(result));
    return 1;
  }
  std::printf("%s in %s succeeded.\n", entry, module);
  return 0;
}
