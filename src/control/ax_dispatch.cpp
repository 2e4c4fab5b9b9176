// IDispatch of the control, answered from the type information: names to
// dispatch ids, and Invoke onto the same members the vtable reaches.
// Covered by tests/control/ax_edit_test.cpp.
#include <cstring>

#include "control/ax_impl-private.h"
#include "control/ax_impl.h"
#include "control/type_info.h"

namespace pellora {

using namespace ax_detail;  // NOLINT: helpers of this class only

// ---- IDispatch -------------------------------------------------------------------

HRESULT TaxEdit::GetTypeInfoCount(std::uint32_t* pctinfo) { return read(pctinfo, 1u); }

HRESULT TaxEdit::GetTypeInfo(std::uint32_t iTInfo, LCID, ITypeInfo** ppTInfo) {
  if (!ppTInfo) return E_POINTER;
  *ppTInfo = nullptr;
  if (iTInfo != 0) return DISP_E_BADINDEX;
  *ppTInfo = createTypeInfo(ipelloraType());
  return S_OK;
}

HRESULT TaxEdit::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, std::uint32_t cNames, LCID,
                               DISPID* rgDispId) {
  if (!(riid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  return idsOfNames(ipelloraType(), rgszNames, cNames, rgDispId);
}

namespace {

// Converts argument `index` (0 = first in call order) to `vt`.
HRESULT argument(DISPPARAMS& params, std::uint32_t index, VARTYPE vt, VARIANT& out,
                 std::uint32_t* argErr) {
  VariantInit(&out);
  const std::uint32_t position = params.cArgs - 1 - index;
  const HRESULT hr = VariantChangeType(&out, &params.rgvarg[position], 0, vt);
  if (FAILED(hr)) {
    if (argErr) *argErr = position;
    return hr == DISP_E_OVERFLOW ? DISP_E_OVERFLOW : DISP_E_TYPEMISMATCH;
  }
  return S_OK;
}

VARTYPE variantTypeOf(ValueType type) {
  switch (type) {
    case ValueType::Bool:
      return VT_BOOL;
    case ValueType::Int16:
      return VT_I2;
    case ValueType::String:
      return VT_BSTR;
    case ValueType::Color:
      return VT_UI4;
    case ValueType::Font:
      return VT_DISPATCH;
    default:
      return VT_I4;
  }
}

}  // namespace

HRESULT TaxEdit::Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags,
                        DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                        std::uint32_t* puArgErr) {
  if (!(riid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (!pDispParams) return E_POINTER;
  if (pDispParams->cArgs > 0 && !pDispParams->rgvarg) return E_INVALIDARG;
  const MemberInfo* member = findMember(ipelloraType(), dispIdMember);
  if (!member) return DISP_E_MEMBERNOTFOUND;
  DISPPARAMS& params = *pDispParams;

  HRESULT hr = DISP_E_MEMBERNOTFOUND;
  const bool isPut = wFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
  if (member->accessors & kMethod) {
    if (!(wFlags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    if (params.cNamedArgs > 0) return DISP_E_NONAMEDARGS;
    if (params.cArgs != member->params.size()) return DISP_E_BADPARAMCOUNT;
    VARIANT args[3];
    for (std::uint32_t i = 0; i < params.cArgs; ++i) {
      if (HRESULT bad = argument(params, i, VT_BSTR, args[i], puArgErr); FAILED(bad)) {
        for (std::uint32_t j = 0; j < i; ++j) VariantClear(&args[j]);
        return bad;
      }
    }
    switch (dispIdMember) {
      case DISPID_Load:
        hr = Load();
        break;
      case DISPID_Save:
        hr = Save();
        break;
      case DISPID_Close:
        hr = Close();
        break;
      case DISPID_Params:
        hr = Params(args[0].bstrVal, args[1].bstrVal, args[2].bstrVal);
        break;
      case DISPID_Options:
        hr = Options(args[0].bstrVal);
        break;
      default:
        break;
    }
    for (std::uint32_t i = 0; i < params.cArgs; ++i) VariantClear(&args[i]);
    if (pVarResult) VariantInit(pVarResult);
  } else if (isPut) {
    const bool byRef = wFlags & DISPATCH_PROPERTYPUTREF;
    if (!(member->accessors & (byRef ? kPutRef : kPut))) return DISP_E_MEMBERNOTFOUND;
    if (params.cArgs != 1) return DISP_E_BADPARAMCOUNT;
    if (params.cNamedArgs != 1 || !params.rgdispidNamedArgs ||
        params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
      return DISP_E_PARAMNOTFOUND;
    }
    if (member->type == ValueType::Font) {
      const VARIANT& given = params.rgvarg[0];
      IDispatch* font = given.vt == VT_DISPATCH                                   ? given.pdispVal
                        : given.vt == (VT_DISPATCH | VT_BYREF) && given.ppdispVal ? *given.ppdispVal
                                                                                  : nullptr;
      if (!font) {
        if (puArgErr) *puArgErr = 0;
        return DISP_E_TYPEMISMATCH;
      }
      hr = byRef ? _set_Font(&font) : set_Font(font);
    } else {
      VARIANT value;
      if (HRESULT bad = argument(params, 0, variantTypeOf(member->type), value, puArgErr);
          FAILED(bad)) {
        return bad;
      }
      switch (dispIdMember) {
        case DISPID_Visible:
          hr = set_Visible(value.boolVal);
          break;
        case DISPID_AutoScroll:
          hr = set_AutoScroll(value.boolVal);
          break;
        case DISPID_AutoSize:
          hr = set_AutoSize(value.boolVal);
          break;
        case DISPID_AxBorderStyle:
          hr = set_AxBorderStyle(static_cast<TxActiveFormBorderStyle>(value.lVal));
          break;
        case DISPID_Caption:
          hr = set_Caption(value.bstrVal);
          break;
        case DISPID_Color:
          hr = set_Color(value.ulVal);
          break;
        case DISPID_KeyPreview:
          hr = set_KeyPreview(value.boolVal);
          break;
        case DISPID_PixelsPerInch:
          hr = set_PixelsPerInch(value.lVal);
          break;
        case DISPID_PrintScale:
          hr = set_PrintScale(static_cast<TxPrintScale>(value.lVal));
          break;
        case DISPID_Scaled:
          hr = set_Scaled(value.boolVal);
          break;
        case DISPID_DropTarget:
          hr = set_DropTarget(value.boolVal);
          break;
        case DISPID_HelpFile:
          hr = set_HelpFile(value.bstrVal);
          break;
        case DISPID_DoubleBuffered:
          hr = set_DoubleBuffered(value.boolVal);
          break;
        case DISPID_Enabled:
          hr = set_Enabled(value.boolVal);
          break;
        case DISPID_Cursor:
          hr = set_Cursor(value.iVal);
          break;
        default:
          break;
      }
      VariantClear(&value);
    }
  } else if (wFlags & DISPATCH_PROPERTYGET) {
    if (!(member->accessors & kGet)) return DISP_E_MEMBERNOTFOUND;
    if (params.cArgs != 0) return DISP_E_BADPARAMCOUNT;
    VARIANT result;
    VariantInit(&result);
    result.vt = variantTypeOf(member->type);
    switch (dispIdMember) {
      case DISPID_Visible:
        hr = get_Visible(&result.boolVal);
        break;
      case DISPID_AutoScroll:
        hr = get_AutoScroll(&result.boolVal);
        break;
      case DISPID_AutoSize:
        hr = get_AutoSize(&result.boolVal);
        break;
      case DISPID_AxBorderStyle: {
        TxActiveFormBorderStyle style;
        hr = get_AxBorderStyle(&style);
        result.lVal = style;
        break;
      }
      case DISPID_Caption:
        hr = get_Caption(&result.bstrVal);
        break;
      case DISPID_Color:
        hr = get_Color(&result.ulVal);
        break;
      case DISPID_Font:
        hr = get_Font(&result.pdispVal);
        break;
      case DISPID_KeyPreview:
        hr = get_KeyPreview(&result.boolVal);
        break;
      case DISPID_PixelsPerInch:
        hr = get_PixelsPerInch(&result.lVal);
        break;
      case DISPID_PrintScale: {
        TxPrintScale scale;
        hr = get_PrintScale(&scale);
        result.lVal = scale;
        break;
      }
      case DISPID_Scaled:
        hr = get_Scaled(&result.boolVal);
        break;
      case DISPID_Active:
        hr = get_Active(&result.boolVal);
        break;
      case DISPID_DropTarget:
        hr = get_DropTarget(&result.boolVal);
        break;
      case DISPID_HelpFile:
        hr = get_HelpFile(&result.bstrVal);
        break;
      case DISPID_DoubleBuffered:
        hr = get_DoubleBuffered(&result.boolVal);
        break;
      case DISPID_VisibleDockClientCount:
        hr = get_VisibleDockClientCount(&result.lVal);
        break;
      case DISPID_Enabled:
        hr = get_Enabled(&result.boolVal);
        break;
      case DISPID_Cursor:
        hr = get_Cursor(&result.iVal);
        break;
      default:
        break;
    }
    if (SUCCEEDED(hr) && pVarResult) {
      VariantClear(pVarResult);
      *pVarResult = result;
    } else {
      VariantClear(&result);
    }
  }

  if (FAILED(hr) && hr != DISP_E_MEMBERNOTFOUND && pExcepInfo) {
    // Hand the member's error information over as the exception's text.
    std::memset(pExcepInfo, 0, sizeof *pExcepInfo);
    pExcepInfo->scode = hr;
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) == S_OK && info) {
      info->GetSource(&pExcepInfo->bstrSource);
      info->GetDescription(&pExcepInfo->bstrDescription);
      info->Release();
    }
    return DISP_E_EXCEPTION;
  }
  return hr;
}

}  // namespace pellora
