#include "control/ax_impl.h"

#include <cstring>
#include <exception>
#include <stdexcept>

#include "control/application.h"
#include "control/com/runtime.h"
#include "control/font_disp.h"
#include "control/type_info.h"
#include "control/wide_text.h"
#include "control/window_interface.h"
#include "exchange/editing_context.h"

namespace pellora {

namespace {

inline constexpr char kEditorClosed[] = "The editor has been closed.";

// The standard conversion of an automation server: a failure inside a
// member becomes a failed result plus error information with its text.
template <typename F>
HRESULT guarded(F&& body) {
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
HRESULT read(T* out, const T& value) {
  if (!out) return E_POINTER;
  *out = value;
  return S_OK;
}

VARIANT_BOOL toVariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

}  // namespace

TaxEdit::TaxEdit()
    : form_("axEdit"),
      eventsPoint_(*this, DIID_IPelloraEvents, 1,
                   [this](IUnknown* sink) { eventSink_ = static_cast<IDispatch*>(sink); }),
      propertyNotifyPoint_(*this, IID_IPropertyNotifySink, SIZE_MAX) {
  form_.setCaption("Pellora");
  form_.setBounds({0, 0, 444, 198});
  form_.setColor(ui::clBtnFace);
  form_.setFont({"MS Sans Serif", -11});
  ActiveFormCreate();
}

TaxEdit::~TaxEdit() {
  eventsPoint_.disconnectAll();
  propertyNotifyPoint_.disconnectAll();
}

void TaxEdit::ActiveFormCreate() {
  if (FAILED(set_AxBorderStyle(afbNone))) {
    throw std::runtime_error("Could not remove the border of the control");
  }
  EditorForms& forms = application();
  // One live editor per process: a second control takes the editor over from
  // the first, which behaves as closed from then on; but not from under a
  // load or save that is still running.
  if (forms.requestRunning()) {
    throw std::runtime_error("The editor of another control is still loading or saving.");
  }
  if (forms.editorExists()) Close();

  forms.MainForm = std::make_unique<TMainForm>();
  forms.MainForm->setAlign(ui::Align::Client);
  forms.MainForm->setVisible(true);
  forms.TableForm = std::make_unique<TTableForm>();
  forms.UploadForm = std::make_unique<TUploadForm>();
  forms.AboutForm = std::make_unique<TAboutForm>();
  // Last: reading the stored settings may turn the other forms German.
  forms.OptionsForm =
      std::make_unique<TOptionsForm>(settings::RegistryStore::forProcess(),
                                     TOptionsForm::OtherForms{*forms.MainForm, *forms.TableForm,
                                                              *forms.UploadForm, *forms.AboutForm});
  forms.MainForm->dialogs = {forms.TableForm.get(), forms.UploadForm.get(), forms.AboutForm.get(),
                             forms.OptionsForm.get()};
}

// ---- IUnknown ------------------------------------------------------------------

HRESULT TaxEdit::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IPellora) {
    *ppv = static_cast<IPellora*>(this);
  } else if (riid == IID_IConnectionPointContainer) {
    *ppv = static_cast<IConnectionPointContainer*>(this);
  } else if (riid == IID_ISupportErrorInfo) {
    *ppv = static_cast<ISupportErrorInfo*>(this);
  } else if (riid == IID_IPelloraWindow) {
    // A tear-off with its own reference count; it holds one on the control.
    *ppv = createWindowTearOff(*static_cast<IPellora*>(this), form_);
    return S_OK;
  } else {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG TaxEdit::AddRef() { return ++refs_; }

ULONG TaxEdit::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

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

// ---- standard members --------------------------------------------------------------

HRESULT TaxEdit::get_Visible(VARIANT_BOOL* v) { return read(v, toVariantBool(form_.visible())); }
HRESULT TaxEdit::set_Visible(VARIANT_BOOL v) {
  return guarded([&] { form_.setVisible(v != 0); });
}
HRESULT TaxEdit::get_AutoScroll(VARIANT_BOOL* v) {
  return read(v, toVariantBool(props_.AutoScroll));
}
HRESULT TaxEdit::set_AutoScroll(VARIANT_BOOL v) {
  props_.AutoScroll = v != 0;
  return S_OK;
}
HRESULT TaxEdit::get_AutoSize(VARIANT_BOOL* v) { return read(v, toVariantBool(props_.AutoSize)); }
HRESULT TaxEdit::set_AutoSize(VARIANT_BOOL v) {
  props_.AutoSize = v != 0;
  return S_OK;
}
HRESULT TaxEdit::get_AxBorderStyle(TxActiveFormBorderStyle* v) {
  return read(v, props_.AxBorderStyle);
}
HRESULT TaxEdit::set_AxBorderStyle(TxActiveFormBorderStyle v) {
  props_.AxBorderStyle = v;
  return S_OK;
}
HRESULT TaxEdit::get_Caption(BSTR* v) {
  if (!v) return E_POINTER;
  *v = allocBstr(widenText(form_.caption()));
  return S_OK;
}
HRESULT TaxEdit::set_Caption(BSTR v) {
  return guarded([&] { form_.setCaption(narrowText(v)); });
}
HRESULT TaxEdit::get_Color(OLE_COLOR* v) { return read(v, form_.color()); }
HRESULT TaxEdit::set_Color(OLE_COLOR v) {
  return guarded([&] { form_.setColor(v); });
}
HRESULT TaxEdit::get_Font(IFontDisp** v) {
  if (!v) return E_POINTER;
  *v = createFontDisp(form_, props_.PixelsPerInch, static_cast<IPellora*>(this));
  return S_OK;
}
HRESULT TaxEdit::set_Font(IFontDisp* v) {
  if (!v) return E_POINTER;
  return copyFontInto(*v, form_, props_.PixelsPerInch);
}
HRESULT TaxEdit::_set_Font(IFontDisp** v) {
  if (!v || !*v) return E_POINTER;
  return copyFontInto(**v, form_, props_.PixelsPerInch);
}
HRESULT TaxEdit::get_KeyPreview(VARIANT_BOOL* v) {
  return read(v, toVariantBool(props_.KeyPreview));
}
HRESULT TaxEdit::set_KeyPreview(VARIANT_BOOL v) {
  props_.KeyPreview = v != 0;
  return S_OK;
}
HRESULT TaxEdit::get_PixelsPerInch(std::int32_t* v) { return read(v, props_.PixelsPerInch); }
HRESULT TaxEdit::set_PixelsPerInch(std::int32_t v) {
  props_.PixelsPerInch = v;
  return S_OK;
}
HRESULT TaxEdit::get_PrintScale(TxPrintScale* v) { return read(v, props_.PrintScale); }
HRESULT TaxEdit::set_PrintScale(TxPrintScale v) {
  props_.PrintScale = v;
  return S_OK;
}
HRESULT TaxEdit::get_Scaled(VARIANT_BOOL* v) { return read(v, toVariantBool(props_.Scaled)); }
HRESULT TaxEdit::set_Scaled(VARIANT_BOOL v) {
  props_.Scaled = v != 0;
  return S_OK;
}
HRESULT TaxEdit::get_Active(VARIANT_BOOL* v) { return read(v, toVariantBool(props_.Active)); }
HRESULT TaxEdit::get_DropTarget(VARIANT_BOOL* v) {
  return read(v, toVariantBool(props_.DropTarget));
}
HRESULT TaxEdit::set_DropTarget(VARIANT_BOOL v) {
  props_.DropTarget = v != 0;
  return S_OK;
}
HRESULT TaxEdit::get_HelpFile(BSTR* v) {
  if (!v) return E_POINTER;
  *v = allocBstr(widenText(props_.HelpFile));
  return S_OK;
}
HRESULT TaxEdit::set_HelpFile(BSTR v) {
  return guarded([&] { props_.HelpFile = narrowText(v); });
}
HRESULT TaxEdit::get_DoubleBuffered(VARIANT_BOOL* v) {
  return read(v, toVariantBool(props_.DoubleBuffered));
}
HRESULT TaxEdit::set_DoubleBuffered(VARIANT_BOOL v) {
  props_.DoubleBuffered = v != 0;
  return S_OK;
}
HRESULT TaxEdit::get_VisibleDockClientCount(std::int32_t* v) {
  return read(v, props_.VisibleDockClientCount);
}
HRESULT TaxEdit::get_Enabled(VARIANT_BOOL* v) { return read(v, toVariantBool(form_.enabled())); }
HRESULT TaxEdit::set_Enabled(VARIANT_BOOL v) {
  return guarded([&] { form_.setEnabled(v != 0); });
}
HRESULT TaxEdit::get_Cursor(std::int16_t* v) { return read(v, props_.Cursor); }
HRESULT TaxEdit::set_Cursor(std::int16_t v) {
  props_.Cursor = v;
  return S_OK;
}

// ---- the control's own members ---------------------------------------------------

HRESULT TaxEdit::Load() {
  HRESULT result = guarded([] {
    EditorForms& forms = application();
    if (!forms.editorExists() || forms.closePending) throw std::runtime_error(kEditorClosed);
    forms.MainForm->btnLoad.click();
  });
  if (application().closePending && !application().requestRunning()) Close();
  return result;
}

HRESULT TaxEdit::Save() {
  HRESULT result = guarded([] {
    EditorForms& forms = application();
    if (!forms.editorExists() || forms.closePending) throw std::runtime_error(kEditorClosed);
    forms.MainForm->btnSave.click();
  });
  if (application().closePending && !application().requestRunning()) return Close();
  if (FAILED(result)) return result;
  if (editingContext().SaveSucceeded) result = Close();
  return result;
}

HRESULT TaxEdit::Params(BSTR Url, BSTR Content, BSTR Auth) {
  return guarded([&] {
    EditingContext& context = editingContext();
    context.BaseUrl = narrowText(Url);
    context.ContentName = narrowText(Content);
    context.AuthToken = narrowText(Auth);
  });
}

HRESULT TaxEdit::Close() {
  EditorForms& forms = application();
  if (forms.requestRunning()) {
    // Freeing the editor now would pull it from under the running request.
    forms.closePending = true;
    return S_OK;
  }
  forms.closePending = false;
  // Freeing swallows failures; a form that cannot be freed is simply gone.
  auto release = [](auto& form) {
    try {
      form.reset();
    } catch (...) {
    }
  };
  release(forms.AboutForm);
  release(forms.UploadForm);
  release(forms.TableForm);
  release(forms.OptionsForm);
  release(forms.MainForm);
  return S_OK;
}

HRESULT TaxEdit::Options(BSTR Options) {
  return guarded([&] { editingContext().EditOptions = narrowText(Options); });
}

// ---- connection points -------------------------------------------------------------

HRESULT TaxEdit::EnumConnectionPoints(void** ppEnum) {
  if (ppEnum) *ppEnum = nullptr;
  return E_NOTIMPL;
}

HRESULT TaxEdit::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
  if (!ppCP) return E_POINTER;
  ConnectionPoint* point = riid == DIID_IPelloraEvents       ? &eventsPoint_
                           : riid == IID_IPropertyNotifySink ? &propertyNotifyPoint_
                                                             : nullptr;
  *ppCP = point;
  if (!point) return CONNECT_E_NOCONNECTION;
  point->AddRef();
  return S_OK;
}

HRESULT TaxEdit::InterfaceSupportsErrorInfo(REFIID riid) {
  return riid == IID_IPellora ? S_OK : S_FALSE;
}

// ---- event forwarding ---------------------------------------------------------------

void TaxEdit::raiseEvent(DISPID id) {
  if (!eventSink_) return;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  eventSink_->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
}

void TaxEdit::FormActivate() { raiseEvent(DISPID_OnActivate); }
void TaxEdit::FormClick() { raiseEvent(DISPID_OnClick); }
void TaxEdit::FormCreate() { raiseEvent(DISPID_OnCreate); }
void TaxEdit::FormDblClick() { raiseEvent(DISPID_OnDblClick); }
void TaxEdit::FormDeactivate() { raiseEvent(DISPID_OnDeactivate); }
void TaxEdit::FormDestroy() { raiseEvent(DISPID_OnDestroy); }
void TaxEdit::FormPaint() { raiseEvent(DISPID_OnPaint); }

void TaxEdit::FormKeyPress(char& key) {
  if (!eventSink_) return;
  std::int16_t code = static_cast<std::uint8_t>(key);
  VARIANT arg;
  VariantInit(&arg);
  arg.vt = VT_I2 | VT_BYREF;
  arg.piVal = &code;
  DISPPARAMS params{&arg, nullptr, 1, 0};
  eventSink_->Invoke(DISPID_OnKeyPress, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr,
                     nullptr);
  key = static_cast<char>(code & 0xFF);
}

}  // namespace pellora
