#include "control/font_disp.h"

#include <atomic>
#include <cmath>

#include "control/com/com_object.h"
#include "control/com/runtime.h"
#include "control/module_state.h"
#include "control/wide_text.h"

namespace pellora {

using namespace com;  // NOLINT

namespace {

class FontDisp final : public ComObject<IDispatch, IID_IDispatch, IID_IFontDisp> {
 public:
  FontDisp(ui::Control& form, int ppi, IUnknown* keepAlive)
      : form_(form), ppi_(ppi), keepAlive_(keepAlive) {
    if (keepAlive_) keepAlive_->AddRef();
  }
  ~FontDisp() {
    if (keepAlive_) keepAlive_->Release();
  }

  HRESULT GetTypeInfoCount(std::uint32_t* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(std::uint32_t, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, std::uint32_t count, LCID, DISPID* ids) override {
    if (!names || !ids) return E_POINTER;
    static const std::pair<std::u16string_view, DISPID> table[] = {
        {u"Name", DISPID_FONT_NAME},
        {u"Size", DISPID_FONT_SIZE},
        {u"Bold", DISPID_FONT_BOLD},
        {u"Italic", DISPID_FONT_ITALIC},
        {u"Underline", DISPID_FONT_UNDER}};
    HRESULT result = S_OK;
    for (std::uint32_t i = 0; i < count; ++i) {
      ids[i] = DISPID_UNKNOWN;
      for (const auto& [name, id] : table) {
        if (names[i] && name == std::u16string_view(names[i])) ids[i] = id;
      }
      if (ids[i] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
    }
    return result;
  }

  HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO*, std::uint32_t*) override {
    if (!params) return E_POINTER;
    ui::Font font = form_.font();
    if (flags & DISPATCH_PROPERTYGET) {
      if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
      if (!result) return S_OK;
      VariantInit(result);
      switch (id) {
        case DISPID_FONT_NAME:
          result->vt = VT_BSTR;
          result->bstrVal = allocBstr(widenText(font.name));
          return S_OK;
        case DISPID_FONT_SIZE:
          result->vt = VT_I4;
          result->lVal = static_cast<std::int32_t>(
              std::lround(std::abs(font.height) * 72.0 / (ppi_ > 0 ? ppi_ : 96)));
          return S_OK;
        case DISPID_FONT_BOLD:
        case DISPID_FONT_ITALIC:
        case DISPID_FONT_UNDER:
          result->vt = VT_BOOL;
          result->boolVal = (id == DISPID_FONT_BOLD    ? font.bold
                             : id == DISPID_FONT_UNDER ? font.underline
                                                       : font.italic)
                                ? VARIANT_TRUE
                                : VARIANT_FALSE;
          return S_OK;
        default:
          return DISP_E_MEMBERNOTFOUND;
      }
    }
    if (flags & DISPATCH_PROPERTYPUT) {
      if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
      VARIANT value;
      VariantInit(&value);
      const VARTYPE wanted = id == DISPID_FONT_NAME   ? VT_BSTR
                             : id == DISPID_FONT_SIZE ? VT_I4
                                                      : VT_BOOL;
      if (id < DISPID_FONT_NAME || id > DISPID_FONT_UNDER || id == 1) return DISP_E_MEMBERNOTFOUND;
      if (HRESULT hr = VariantChangeType(&value, &params->rgvarg[0], 0, wanted); FAILED(hr)) {
        return hr;
      }
      switch (id) {
        case DISPID_FONT_NAME:
          font.name = narrowText(value.bstrVal);
          break;
        case DISPID_FONT_SIZE:
          font.height = -static_cast<int>(std::lround(value.lVal * (ppi_ > 0 ? ppi_ : 96) / 72.0));
          break;
        case DISPID_FONT_BOLD:
          font.bold = value.boolVal != 0;
          break;
        case DISPID_FONT_ITALIC:
          font.italic = value.boolVal != 0;
          break;
        default:
          font.underline = value.boolVal != 0;
          break;
      }
      VariantClear(&value);
      form_.setFont(font);
      return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  ui::Control& form_;
  int ppi_;
  IUnknown* keepAlive_;
  ObjectCount count_;
};

HRESULT readProperty(IDispatch& font, DISPID id, VARTYPE vt, VARIANT& out) {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VARIANT raw;
  VariantInit(&raw);
  HRESULT hr = font.Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &raw, nullptr, nullptr);
  if (SUCCEEDED(hr)) hr = VariantChangeType(&out, &raw, 0, vt);
  VariantClear(&raw);
  return hr;
}

}  // namespace

IDispatch* createFontDisp(ui::Control& form, int pixelsPerInch, IUnknown* keepAlive) {
  return new FontDisp(form, pixelsPerInch, keepAlive);
}

HRESULT copyFontInto(IDispatch& source, ui::Control& form, int pixelsPerInch) {
  ui::Font font = form.font();
  VARIANT v;
  VariantInit(&v);
  if (HRESULT hr = readProperty(source, DISPID_FONT_NAME, VT_BSTR, v); FAILED(hr)) return hr;
  font.name = narrowText(v.bstrVal);
  VariantClear(&v);
  if (SUCCEEDED(readProperty(source, DISPID_FONT_SIZE, VT_I4, v))) {
    font.height =
        -static_cast<int>(std::lround(v.lVal * (pixelsPerInch > 0 ? pixelsPerInch : 96) / 72.0));
  }
  if (SUCCEEDED(readProperty(source, DISPID_FONT_BOLD, VT_BOOL, v))) font.bold = v.boolVal != 0;
  if (SUCCEEDED(readProperty(source, DISPID_FONT_ITALIC, VT_BOOL, v))) font.italic = v.boolVal != 0;
  if (SUCCEEDED(readProperty(source, DISPID_FONT_UNDER, VT_BOOL, v))) {
    font.underline = v.boolVal != 0;
  }
  form.setFont(font);
  return S_OK;
}

}  // namespace pellora
