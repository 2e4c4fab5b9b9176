#include "control/com/runtime.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "content/hex_digits.h"
#include "control/com/com_object.h"

namespace pellora::com {

const IID IID_IUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IDispatch{0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_ITypeInfo{0x00020401, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IClassFactory{0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IConnectionPoint{
    0xB196B286, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
const IID IID_IConnectionPointContainer{
    0xB196B284, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
const IID IID_ISupportErrorInfo{
    0xDF0B3D60, 0x548F, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
const IID IID_IErrorInfo{
    0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
const IID IID_IPropertyNotifySink{
    0x9BFBBC02, 0xEFF1, 0x101A, {0x84, 0xED, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
const IID IID_IFontDisp{
    0xBEF6E003, 0xA874, 0x101A, {0x8B, 0xBA, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};

std::string guidToString(const GUID& g) {
  char text[39];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1,
                g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

bool guidFromString(std::string_view text, GUID& guid) {
  static constexpr std::string_view shape = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
  if (text.size() != shape.size()) return false;
  std::uint8_t bytes[16];
  int nibble = 0;
  for (std::size_t i = 0; i < shape.size(); ++i) {
    const char c = text[i];
    if (shape[i] != 'X') {
      if (c != shape[i]) return false;
      continue;
    }
    const int v = content::hexDigitValue(c);
    if (v < 0) return false;
    if (nibble % 2 == 0)
      bytes[nibble / 2] = static_cast<std::uint8_t>(v << 4);
    else
      bytes[nibble / 2] |= static_cast<std::uint8_t>(v);
    ++nibble;
  }
  guid.Data1 = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
               (std::uint32_t{bytes[2]} << 8) | bytes[3];
  guid.Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
  guid.Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
  std::memcpy(guid.Data4, bytes + 8, 8);
  return true;
}

// ---- BSTR ------------------------------------------------------------------

BSTR SysAllocStringLen(const OLECHAR* text, std::uint32_t length) {
  // The byte length sits in the four bytes before the characters.
  const std::size_t bytes = std::size_t{length} * sizeof(OLECHAR);
  if (bytes > std::numeric_limits<std::uint32_t>::max() - 16) return nullptr;
  auto* block = static_cast<std::uint8_t*>(std::malloc(sizeof(std::uint32_t) + bytes + 2));
  if (!block) return nullptr;
  const auto prefix = static_cast<std::uint32_t>(bytes);
  std::memcpy(block, &prefix, sizeof prefix);
  auto* chars = reinterpret_cast<OLECHAR*>(block + sizeof prefix);
  if (text)
    std::memcpy(chars, text, bytes);
  else
    std::memset(chars, 0, bytes);
  chars[length] = 0;
  return chars;
}

BSTR SysAllocString(const OLECHAR* text) {
  if (!text) return nullptr;
  return SysAllocStringLen(text,
                           static_cast<std::uint32_t>(std::char_traits<char16_t>::length(text)));
}

void SysFreeString(BSTR text) {
  if (text) std::free(reinterpret_cast<std::uint8_t*>(text) - sizeof(std::uint32_t));
}

std::uint32_t SysStringLen(BSTR text) {
  if (!text) return 0;
  std::uint32_t bytes;
  std::memcpy(&bytes, reinterpret_cast<std::uint8_t*>(text) - sizeof bytes, sizeof bytes);
  return bytes / sizeof(OLECHAR);
}

BSTR allocBstr(std::u16string_view text) {
  return SysAllocStringLen(text.data(), static_cast<std::uint32_t>(text.size()));
}

std::u16string bstrView(BSTR text) { return std::u16string(text ? text : u"", SysStringLen(text)); }

// ---- VARIANT ---------------------------------------------------------------

void VariantInit(VARIANT* value) { std::memset(value, 0, sizeof *value); }

HRESULT VariantClear(VARIANT* value) {
  if (!value) return E_INVALIDARG;
  switch (value->vt) {
    case VT_BSTR:
      SysFreeString(value->bstrVal);
      break;
    case VT_DISPATCH:
    case VT_UNKNOWN:
      if (value->punkVal) value->punkVal->Release();
      break;
    default:
      break;
  }
  VariantInit(value);
  return S_OK;
}

HRESULT VariantCopy(VARIANT* target, const VARIANT* source) {
  if (!target || !source) return E_INVALIDARG;
  if (target == source) return S_OK;
  VariantClear(target);
  *target = *source;
  if (source->vt == VT_BSTR && source->bstrVal) {
    target->bstrVal = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
    if (!target->bstrVal) {
      target->vt = VT_EMPTY;
      return E_OUTOFMEMORY;
    }
  } else if ((source->vt == VT_DISPATCH || source->vt == VT_UNKNOWN) && source->punkVal) {
    source->punkVal->AddRef();
  }
  return S_OK;
}

// ---- error information -----------------------------------------------------

namespace {

class ErrorInfo final : public ComObject<IErrorInfo, IID_IErrorInfo> {
 public:
  ErrorInfo(const GUID& iid, std::u16string source, std::u16string description)
      : iid_(iid), source_(std::move(source)), description_(std::move(description)) {}
  HRESULT GetGUID(GUID* guid) override {
    if (!guid) return E_POINTER;
    *guid = iid_;
    return S_OK;
  }
  HRESULT GetSource(BSTR* source) override { return give(source_, source); }
  HRESULT GetDescription(BSTR* description) override { return give(description_, description); }
  HRESULT GetHelpFile(BSTR* helpFile) override { return give(u"", helpFile); }
  HRESULT GetHelpContext(std::uint32_t* context) override {
    if (!context) return E_POINTER;
    *context = 0;
    return S_OK;
  }

 private:
  static HRESULT give(std::u16string_view text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = allocBstr(text);
    return S_OK;
  }
  GUID iid_;
  std::u16string source_, description_;
};

thread_local IErrorInfo* t_errorInfo = nullptr;

}  // namespace

void SetErrorInfo(ULONG, IErrorInfo* info) {
  if (info) info->AddRef();
  if (t_errorInfo) t_errorInfo->Release();
  t_errorInfo = info;
}

HRESULT GetErrorInfo(ULONG, IErrorInfo** info) {
  if (!info) return E_POINTER;
  *info = t_errorInfo;
  t_errorInfo = nullptr;
  return *info ? S_OK : S_FALSE;
}

void setErrorDescription(const GUID& iid, std::u16string_view source,
                         std::u16string_view description) {
  auto* info = new ErrorInfo(iid, std::u16string(source), std::u16string(description));
  SetErrorInfo(0, info);
  info->Release();
}

}  // namespace pellora::com
