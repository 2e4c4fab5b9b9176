// Runtime functions of the automation layer: wide strings, variants and the
// per-thread error information. They live in the shared library
// `pellora_com` so that module and host agree on one allocator and one
// error slot.
#pragma once

#include <string>

#include "control/com/com_types.h"
#include "control/com/unknown.h"

namespace pellora::com {

// BSTR: a length-prefixed, NUL-terminated UTF-16 string; nullptr is the
// empty string.
BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, std::uint32_t length);
void SysFreeString(BSTR text);
std::uint32_t SysStringLen(BSTR text);

// Convenience conversions at the border.
BSTR allocBstr(std::u16string_view text);
std::u16string bstrView(BSTR text);

void VariantInit(VARIANT* value);
HRESULT VariantClear(VARIANT* value);
HRESULT VariantCopy(VARIANT* target, const VARIANT* source);
// Converts to `vt` (VT_I2, VT_I4, VT_UI4, VT_BOOL, VT_BSTR) as the
// platform's coercion does for these types (see variant_conversion.cpp);
// by-reference sources are read through. DISP_E_TYPEMISMATCH or
// DISP_E_OVERFLOW on failure, and `target` is left as it was.
HRESULT VariantChangeType(VARIANT* target, const VARIANT* source, WORD flags, VARTYPE vt);
// Flag of VariantChangeType: a boolean becomes "True" or "False" instead of
// "-1" or "0".
inline constexpr WORD VARIANT_ALPHABOOL = 0x2;

// Error information of the calling thread, set by a failing member for the
// caller to pick up with GetErrorInfo (which clears it).
class IErrorInfo : public IUnknown {
 public:
  virtual HRESULT GetGUID(GUID* guid) = 0;
  virtual HRESULT GetSource(BSTR* source) = 0;
  virtual HRESULT GetDescription(BSTR* description) = 0;
  virtual HRESULT GetHelpFile(BSTR* helpFile) = 0;
  virtual HRESULT GetHelpContext(std::uint32_t* helpContext) = 0;
};
extern const IID IID_IErrorInfo;

// Records `description` (UTF-16) as the thread's error information.
void setErrorDescription(const GUID& iid, std::u16string_view source,
                         std::u16string_view description);
HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** info);
void SetErrorInfo(ULONG reserved, IErrorInfo* info);

}  // namespace pellora::com
