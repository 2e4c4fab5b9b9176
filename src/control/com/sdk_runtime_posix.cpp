// The runtime functions of the public SDK (include/pellora/com.h) with C
// linkage, so hosts written in C share the module's allocator for BSTRs and
// variants. The SDK's types are the runtime's, laid out alike; the asserts
// keep them so. Covered by tests/sdk/sdk_layout_test.cpp and the example
// host's round trip.
#include <cstddef>

#include "control/com/runtime.h"
#include "pellora/com.h"

namespace com = pellora::com;

static_assert(sizeof(::VARIANT) == sizeof(com::VARIANT));
static_assert(offsetof(::VARIANT, bstrVal) == offsetof(com::VARIANT, bstrVal));
static_assert(sizeof(::EXCEPINFO) == sizeof(com::EXCEPINFO));
static_assert(offsetof(::EXCEPINFO, scode) == offsetof(com::EXCEPINFO, scode));
static_assert(sizeof(::DISPPARAMS) == sizeof(com::DISPPARAMS));
static_assert(sizeof(::GUID) == sizeof(com::GUID));

BSTR PelloraSysAllocString(const OLECHAR* text) { return com::SysAllocString(text); }

BSTR PelloraSysAllocStringLen(const OLECHAR* text, uint32_t length) {
  return com::SysAllocStringLen(text, length);
}

void PelloraSysFreeString(BSTR text) { com::SysFreeString(text); }

uint32_t PelloraSysStringLen(BSTR text) { return com::SysStringLen(text); }

void PelloraVariantInit(VARIANT* value) {
  com::VariantInit(reinterpret_cast<com::VARIANT*>(value));
}

HRESULT PelloraVariantClear(VARIANT* value) {
  return com::VariantClear(reinterpret_cast<com::VARIANT*>(value));
}
