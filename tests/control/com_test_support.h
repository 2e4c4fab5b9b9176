// Helpers for driving the control through its automation interfaces.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "control/com/runtime.h"

namespace pellora::test {

using namespace com;  // NOLINT

// Owns a VARIANT.
struct Variant {
  VARIANT v;
  Variant() { VariantInit(&v); }
  ~Variant() { VariantClear(&v); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  static void string(VARIANT& target, std::u16string_view text) {
    VariantInit(&target);
    target.vt = VT_BSTR;
    target.bstrVal = allocBstr(text);
  }
};

// Owns a BSTR.
struct Bstr {
  BSTR value;
  explicit Bstr(std::u16string_view text) : value(allocBstr(text)) {}
  Bstr() : value(nullptr) {}
  ~Bstr() { SysFreeString(value); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
};

// An event sink that records the events it receives. `onKeyPress` may
// change the key argument.
class RecordingSink final : public IDispatch {
 public:
  explicit RecordingSink(IID events) : events_(events) {}
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == events_) {
      *ppv = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }
  HRESULT GetTypeInfoCount(std::uint32_t*) override { return E_NOTIMPL; }
  HRESULT GetTypeInfo(std::uint32_t, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, std::uint32_t, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                 std::uint32_t*) override {
    received.push_back(id);
    lastFlags = flags;
    if (params && params->cArgs == 1 && params->rgvarg[0].vt == (VT_I2 | VT_BYREF)) {
      keysSeen.push_back(*params->rgvarg[0].piVal);
      if (onKeyPress) *params->rgvarg[0].piVal = onKeyPress(*params->rgvarg[0].piVal);
    }
    return S_OK;
  }
  std::vector<DISPID> received;
  std::vector<std::int16_t> keysSeen;
  std::function<std::int16_t(std::int16_t)> onKeyPress;
  WORD lastFlags = 0;
  ULONG refs = 1;

 private:
  IID events_;
};

inline std::u16string takeErrorDescription() {
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || !info) return {};
  BSTR text = nullptr;
  info->GetDescription(&text);
  std::u16string out = bstrView(text);
  SysFreeString(text);
  info->Release();
  return out;
}

}  // namespace pellora::test
