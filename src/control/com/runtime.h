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
// Converts to `vt` (VT_I2, VT_I4, VT_UI4, VT_BOOL, VT_BSTR); by-reference
// sources are read through. DISP_E_TYPEMISMATCH or DISP_E_OVERFLOW on
// failure.
HRESULT VariantChangeType(VARIANT* target, const VARIANT* source, WORD flags, VARTYPE vt);

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
