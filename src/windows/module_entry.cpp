// The four entry points of the Windows module (exported by ordinal through
// pellora.def) and its DllMain.
// clang-format off
// The module's headers before the system's; see win_ax_edit.cpp.
#include "control/class_factory.h"
#include "control/module_state.h"
#include "ui/headless_platform.h"
#include "ui/services.h"

#include "windows/win_ax_edit.h"
#include "windows/win_registration.h"
#include "windows/pellora_h.h"
// clang-format on

namespace {

// Windows has no GTK front end yet: the control runs on the headless
// platform.
void ensurePlatform() {
  if (pellora::ui::hasPlatform()) return;
  static pellora::ui::HeadlessPlatform headless;
  pellora::ui::setPlatform(&headless);
}

// The class factory of axEdit as the system's COM sees it.
class Factory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
      *ppv = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  // Static, like the module's own factory.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    ensurePlatform();
    return pellora_win::createAxEdit(riid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      ++pellora::moduleState().locks;
    } else if (pellora::moduleState().locks > 0) {
      --pellora::moduleState().locks;
    }
    return S_OK;
  }
};

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    pellora_win::setModuleInstance(instance);
    ::DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!IsEqualCLSID(clsid, CLSID_axEdit)) return CLASS_E_CLASSNOTAVAILABLE;
  static Factory factory;
  return factory.QueryInterface(riid, ppv);
}

HRESULT WINAPI DllCanUnloadNow() { return pellora::canUnloadNow() == 0 ? S_OK : S_FALSE; }

HRESULT WINAPI DllRegisterServer() { return pellora_win::registerModule(); }

HRESULT WINAPI DllUnregisterServer() { return pellora_win::unregisterModule(); }

}  // extern "C"
