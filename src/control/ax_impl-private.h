// Helpers shared by the files that implement TaxEdit; not for other users.
#pragma once

#include <exception>

#include "control/com/runtime.h"
#include "control/pellora_tlb.h"
#include "control/wide_text.h"

namespace pellora::ax_detail {

inline constexpr char kEditorClosed[] = "The editor has been closed.";

// The standard conversion of an automation server: a failure inside a
// member becomes a failed result plus error information with its text.
template <typename F>
inline HRESULT guarded(F&& body) {
  try {
    body();
    return S_OK;
  } catch (const std::exception& failure) {
    setErrorDescription(IID_IPellora, u"Pellora", widenText(failure.what()));
    return E_UNEXPECTED;
  } catch (...) {
    setErrorDescription(IID_IPellora, u"Pellora", u"Unknown failure");
    return E_UNEXPECTED;
  }
}

template <typename T>
inline HRESULT read(T* out, const T& value) {
  if (!out) return E_POINTER;
  *out = value;
  return S_OK;
}

inline VARIANT_BOOL toVariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

}  // namespace pellora::ax_detail
