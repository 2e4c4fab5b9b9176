// The IUnknown part every single-interface COM object of the module shares:
// a reference count that deletes the object at zero, and QueryInterface
// answering IUnknown and the listed interface ids with the one interface
// `Interface`.
#pragma once

#include <atomic>

#include "control/com/unknown.h"

namespace pellora::com {

template <typename Interface, const IID&... Ids>
class ComObject : public Interface {
 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || ((riid == Ids) || ...)) {
      *ppv = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  ComObject() = default;
  // Virtual, so `delete this` reaches the object's own destructor; the slot
  // comes after the interface's, which keeps its layout.
  virtual ~ComObject() = default;

 private:
  std::atomic<ULONG> refs_{1};
};

}  // namespace pellora::com
