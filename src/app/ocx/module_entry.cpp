// The four entry points of the control module. Everything else in the
// module is hidden by the linker's version script.
#include <dlfcn.h>

#include <filesystem>

#include "control/class_factory.h"
#include "control/com/com_types.h"
#include "control/registration.h"
#include "platform/gtk/gtk_platform.h"
#include "control/version_info.h"
#include "settings/registry.h"
#include "ui/headless_platform.h"
#include "ui/services.h"

using namespace pellora;
using namespace pellora::com;

// The version resource, kept in the module file for hosts to read.
__attribute__((section("pellora_version"), used)) const char kVersionResource[] =
    PELLORA_VERSION_RESOURCE;

namespace {

// The absolute path of this module file, as registration records it.
std::string modulePath() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&modulePath), &info) || !info.dli_fname) return {};
  std::error_code error;
  auto path = std::filesystem::absolute(info.dli_fname, error);
  return error ? std::string(info.dli_fname) : path.lexically_normal().string();
}

// With a display the module shows itself on GTK; without one (scripted
// hosts, registration) it runs on the headless platform.
void ensurePlatform() {
  if (ui::hasPlatform()) return;
  if (gtk::GtkPlatform::initialise()) {
    static gtk::GtkPlatform desktop;
    ui::setPlatform(&desktop);
    return;
  }
  static ui::HeadlessPlatform headless;
  ui::setPlatform(&headless);
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) HRESULT DllGetClassObject(const CLSID& rclsid,
                                                                 const IID& riid, void** ppv) {
  ensurePlatform();
  return getClassObject(rclsid, riid, ppv);
}

__attribute__((visibility("default"))) HRESULT DllCanUnloadNow() { return canUnloadNow(); }

__attribute__((visibility("default"))) HRESULT DllRegisterServer() {
  try {
    auto store = settings::RegistryStore::forProcess();
    registerServer(store, modulePath());
    return S_OK;
  } catch (...) {
    return E_FAIL;
  }
}

__attribute__((visibility("default"))) HRESULT DllUnregisterServer() {
  try {
    auto store = settings::RegistryStore::forProcess();
    unregisterServer(store);
    return S_OK;
  } catch (...) {
    return E_FAIL;
  }
}

}  // extern "C"
