#include "control/class_factory.h"

#include <exception>

#include "control/ax_impl.h"
#include "control/com/runtime.h"
#include "control/module_state.h"
#include "control/wide_text.h"

namespace pellora {

namespace {

class AxEditFactory final : public IClassFactory {
 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
      *ppv = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  // The factory is static: references are counted as module locks would be
  // by a host that keeps it, but never free it.
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }

  HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) override {
    if (!ppvObject) return E_POINTER;
    *ppvObject = nullptr;
    if (pUnkOuter) return CLASS_E_NOAGGREGATION;
    TaxEdit* control = nullptr;
    try {
      control = new TaxEdit();
    } catch (const std::exception& failure) {
      setErrorDescription(IID_IClassFactory, u"Pellora", widenText(failure.what()));
      return E_FAIL;
    }
    const HRESULT hr = control->QueryInterface(riid, ppvObject);
    control->Release();  // the creator's reference moves to the caller's interface
    return hr;
  }

  HRESULT LockServer(std::int32_t fLock) override {
    if (fLock)
      ++moduleState().locks;
    else if (moduleState().locks > 0)
      --moduleState().locks;
    return S_OK;
  }
};

}  // namespace

IClassFactory& axEditFactory() {
  static AxEditFactory factory;
  return factory;
}

HRESULT getClassObject(const CLSID& clsid, const IID& iid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!(clsid == CLSID_axEdit)) return CLASS_E_CLASSNOTAVAILABLE;
  return axEditFactory().QueryInterface(iid, ppv);
}

HRESULT canUnloadNow() {
  const ModuleState& state = moduleState();
  return state.objects == 0 && state.locks == 0 ? S_OK : S_FALSE;
}

}  // namespace pellora
