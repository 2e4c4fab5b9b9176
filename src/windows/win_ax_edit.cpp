// The module's own COM layer (control/) defines the COM vocabulary in its
// namespace, including names that <windows.h> makes macros (S_OK, FAILED,
// ...). Its headers therefore come before the system's: once parsed, the
// macros no longer reach them. Code below names the module's layer only
// through `pl::`.
// clang-format off
#include "content/cp1252.h"
#include "control/ax_impl.h"
#include "control/class_factory.h"
#include "control/com/runtime.h"
#include "control/module_state.h"
#include "control/pellora_tlb.h"

#include "windows/win_ax_edit.h"
#include "windows/pellora_h.h"
#include <olectl.h>
// clang-format on

#include <cmath>
#include <string_view>

namespace pellora_win {

namespace pl = ::pellora;
namespace plc = ::pellora::com;

namespace {

HINSTANCE g_instance = nullptr;

// An owned reference to an interface of the system's COM.
template <typename T>
class Ref {
 public:
  Ref() = default;
  explicit Ref(T* p) : p_(p) {}
  ~Ref() {
    if (p_) p_->Release();
  }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  T* get() const { return p_; }
  T** out() { return &p_; }
  T* operator->() const { return p_; }

 private:
  T* p_ = nullptr;
};

// An owned reference to an interface of the module's own COM layer.
template <typename T>
class PlRef {
 public:
  PlRef() = default;
  ~PlRef() {
    if (p_) p_->Release();
  }
  PlRef(const PlRef&) = delete;
  PlRef& operator=(const PlRef&) = delete;
  T* get() const { return p_; }
  void** out() { return reinterpret_cast<void**>(&p_); }
  T* operator->() const { return p_; }

 private:
  T* p_ = nullptr;
};

// A BSTR of the module's runtime, freed with it.
class PlBstr {
 public:
  explicit PlBstr(BSTR text)
      : text_(plc::allocBstr(
            std::u16string_view(reinterpret_cast<const char16_t*>(text), ::SysStringLen(text)))) {}
  PlBstr() = default;
  ~PlBstr() { plc::SysFreeString(text_); }
  PlBstr(const PlBstr&) = delete;
  PlBstr& operator=(const PlBstr&) = delete;
  plc::BSTR get() const { return text_; }
  plc::BSTR* out() { return &text_; }
  // The text as a BSTR of the system's allocator.
  BSTR toSystem() const {
    const std::u16string text = plc::bstrView(text_);
    return ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                               static_cast<UINT>(text.size()));
  }

 private:
  plc::BSTR text_ = nullptr;
};

// A failure of the module's layer leaves its error information in the
// layer's slot; the system's callers (DispInvoke, script hosts) read the
// system's slot.
HRESULT handOver(plc::HRESULT result) {
  const HRESULT hr = static_cast<HRESULT>(result);
  if (SUCCEEDED(hr)) return hr;
  PlRef<plc::IErrorInfo> info;
  if (plc::GetErrorInfo(0, reinterpret_cast<plc::IErrorInfo**>(info.out())) != 0 || !info.get()) {
    return hr;
  }
  PlBstr description;
  info->GetDescription(description.out());
  Ref<ICreateErrorInfo> created;
  if (FAILED(::CreateErrorInfo(created.out()))) return hr;
  const std::u16string text = plc::bstrView(description.get());
  const std::wstring wide(text.begin(), text.end());
  created->SetGUID(IID_IPellora);
  created->SetSource(const_cast<LPOLESTR>(L"Pellora.axEdit"));
  created->SetDescription(const_cast<LPOLESTR>(wide.c_str()));
  Ref<IErrorInfo> errorInfo;
  if (SUCCEEDED(
          created->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(errorInfo.out())))) {
    ::SetErrorInfo(0, errorInfo.get());
  }
  return hr;
}

class AxEdit;

// The events connection point: one sink at a time.
class EventsPoint final : public IConnectionPoint {
 public:
  explicit EventsPoint(IConnectionPointContainer& container) : container_(container) {}
  ~EventsPoint() { disconnect(); }
  EventsPoint(const EventsPoint&) = delete;
  EventsPoint& operator=(const EventsPoint&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPoint)) {
      *ppv = static_cast<IConnectionPoint*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return container_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return container_.Release(); }

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
    if (!iid) return E_POINTER;
    *iid = DIID_IPelloraEvents;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** cpc) override {
    if (!cpc) return E_POINTER;
    *cpc = &container_;
    container_.AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
    if (!sink || !cookie) return E_POINTER;
    *cookie = 0;
    if (sink_) return CONNECT_E_ADVISELIMIT;
    IDispatch* events = nullptr;
    if (FAILED(sink->QueryInterface(DIID_IPelloraEvents, reinterpret_cast<void**>(&events)))) {
      return CONNECT_E_CANNOTCONNECT;
    }
    sink_ = events;
    *cookie = kCookie;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
    if (cookie != kCookie || !sink_) return CONNECT_E_NOCONNECTION;
    disconnect();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** list) override {
    if (list) *list = nullptr;
    return E_NOTIMPL;
  }

  IDispatch* sink() const { return sink_; }
  void disconnect() {
    if (sink_) sink_->Release();
    sink_ = nullptr;
  }

 private:
  static constexpr DWORD kCookie = 1;
  IConnectionPointContainer& container_;
  IDispatch* sink_ = nullptr;  // one reference
};

// Hears the control's events in the module's layer and raises them on the
// system's sink. OnKeyPress's by-reference 16-bit argument travels both
// ways.
class EventRelay final : public plc::IDispatch {
 public:
  explicit EventRelay(const EventsPoint& point) : point_(point) {}

  plc::HRESULT QueryInterface(const plc::IID& riid, void** ppv) override {
    if (!ppv) return static_cast<plc::HRESULT>(E_POINTER);
    if (riid == plc::IID_IUnknown || riid == plc::IID_IDispatch ||
        riid == pl::DIID_IPelloraEvents) {
      *ppv = static_cast<plc::IDispatch*>(this);
      return 0;
    }
    *ppv = nullptr;
    return static_cast<plc::HRESULT>(E_NOINTERFACE);
  }
  // Owned by the control object as a member.
  plc::ULONG AddRef() override { return 2; }
  plc::ULONG Release() override { return 1; }
  plc::HRESULT GetTypeInfoCount(std::uint32_t* count) override {
    if (count) *count = 0;
    return 0;
  }
  plc::HRESULT GetTypeInfo(std::uint32_t, plc::LCID, plc::ITypeInfo**) override {
    return static_cast<plc::HRESULT>(E_NOTIMPL);
  }
  plc::HRESULT GetIDsOfNames(const plc::IID&, plc::LPOLESTR*, std::uint32_t, plc::LCID,
                             plc::DISPID*) override {
    return static_cast<plc::HRESULT>(E_NOTIMPL);
  }
  plc::HRESULT Invoke(plc::DISPID id, const plc::IID&, plc::LCID lcid, plc::WORD flags,
                      plc::DISPPARAMS* params, plc::VARIANT*, plc::EXCEPINFO*,
                      std::uint32_t*) override {
    ::IDispatch* sink = point_.sink();
    if (!sink) return 0;
    VARIANTARG argument;
    ::VariantInit(&argument);
    SHORT key = 0;
    DISPPARAMS systemParams{nullptr, nullptr, 0, 0};
    std::int16_t* keySlot = nullptr;
    if (params && params->cArgs == 1 && params->rgvarg[0].vt == (plc::VT_I2 | plc::VT_BYREF) &&
        params->rgvarg[0].piVal) {
      keySlot = params->rgvarg[0].piVal;
      key = *keySlot;
      argument.vt = VT_I2 | VT_BYREF;
      argument.piVal = &key;
      systemParams.rgvarg = &argument;
      systemParams.cArgs = 1;
    }
    const HRESULT hr =
        sink->Invoke(id, IID_NULL, lcid, flags, &systemParams, nullptr, nullptr, nullptr);
    if (keySlot) *keySlot = key;
    return static_cast<plc::HRESULT>(hr);
  }

 private:
  const EventsPoint& point_;
};

#define PELLORA_FORWARD_GET(Name, SystemType, LayerType)             \
  HRESULT STDMETHODCALLTYPE get_##Name(SystemType* value) override { \
    if (!value) return E_POINTER;                                    \
    LayerType got{};                                                 \
    const HRESULT hr = handOver(control_->get_##Name(&got));         \
    if (SUCCEEDED(hr)) *value = static_cast<SystemType>(got);        \
    return hr;                                                       \
  }
#define PELLORA_FORWARD_PUT(Name, SystemType, LayerType)                  \
  HRESULT STDMETHODCALLTYPE put_##Name(SystemType value) override {       \
    return handOver(control_->set_##Name(static_cast<LayerType>(value))); \
  }
#define PELLORA_FORWARD_PROPERTY(Name, SystemType, LayerType) \
  PELLORA_FORWARD_GET(Name, SystemType, LayerType)            \
  PELLORA_FORWARD_PUT(Name, SystemType, LayerType)

class AxEdit final : public IPellora,
                     public IConnectionPointContainer,
                     public ISupportErrorInfo,
                     public IProvideClassInfo {
 public:
  // Throws nothing; `valid()` tells whether the control and the type
  // information could be had.
  AxEdit() : events_(*this), relay_(events_) {
    if (pl::getClassObject(pl::CLSID_axEdit, plc::IID_IClassFactory, factory_.out()) != 0) return;
    if (factory_->CreateInstance(nullptr, pl::IID_IPellora, control_.out()) != 0) return;
    PlRef<plc::IConnectionPointContainer> container;
    PlRef<plc::IConnectionPoint> point;
    if (control_->QueryInterface(plc::IID_IConnectionPointContainer, container.out()) == 0 &&
        container->FindConnectionPoint(
            pl::DIID_IPelloraEvents, reinterpret_cast<plc::IConnectionPoint**>(point.out())) == 0 &&
        point->Advise(&relay_, &relayCookie_) == 0) {
      relayPoint_ = point.get();
      relayPoint_->AddRef();
    }
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(moduleInstance(), path, MAX_PATH);
    if (FAILED(::LoadTypeLibEx(path, REGKIND_NONE, library_.out()))) return;
    library_->GetTypeInfoOfGuid(IID_IPellora, typeInfo_.out());
    library_->GetTypeInfoOfGuid(CLSID_axEdit, classInfo_.out());
  }
  bool valid() const { return control_.get() && typeInfo_.get() && classInfo_.get(); }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, IID_IPellora)) {
      *ppv = static_cast<IPellora*>(this);
    } else if (IsEqualIID(riid, IID_IConnectionPointContainer)) {
      *ppv = static_cast<IConnectionPointContainer*>(this);
    } else if (IsEqualIID(riid, IID_ISupportErrorInfo)) {
      *ppv = static_cast<ISupportErrorInfo*>(this);
    } else if (IsEqualIID(riid, IID_IProvideClassInfo)) {
      *ppv = static_cast<IProvideClassInfo*>(this);
    } else {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  // IDispatch, answered by oleaut32 from the type library
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    *info = typeInfo_.get();
    (*info)->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    return ::DispGetIDsOfNames(typeInfo_.get(), names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    return ::DispInvoke(static_cast<IPellora*>(this), typeInfo_.get(), id, flags, params, result,
                        exception, argumentError);
  }

  // IPellora: the standard members reach the control's container form.
  PELLORA_FORWARD_PROPERTY(Visible, VARIANT_BOOL, plc::VARIANT_BOOL)
  PELLORA_FORWARD_PROPERTY(AutoScroll, VARIANT_BOOL, plc::VARIANT_BOOL)
  PELLORA_FORWARD_PROPERTY(AutoSize, VARIANT_BOOL, plc::VARIANT_BOOL)
  PELLORA_FORWARD_PROPERTY(AxBorderStyle, TxActiveFormBorderStyle, pl::TxActiveFormBorderStyle)
  PELLORA_FORWARD_PROPERTY(Color, OLE_COLOR, plc::OLE_COLOR)
  PELLORA_FORWARD_PROPERTY(KeyPreview, VARIANT_BOOL, plc::VARIANT_BOOL)
  PELLORA_FORWARD_PROPERTY(PixelsPerInch, LONG, std::int32_t)
  PELLORA_FORWARD_PROPERTY(PrintScale, TxPrintScale, pl::TxPrintScale)
  PELLORA_FORWARD_PROPERTY(Scaled, VARIANT_BOOL, plc::VARIANT_BOOL)
  PELLORA_FORWARD_GET(Active, VARIANT_BOOL, plc::VARIANT_BOOL)
  PELLORA_FORWARD_PROPERTY(DropTarget, VARIANT_BOOL, plc::VARIANT_BOOL)
  PELLORA_FORWARD_PROPERTY(DoubleBuffered, VARIANT_BOOL, plc::VARIANT_BOOL)
  PELLORA_FORWARD_GET(VisibleDockClientCount, LONG, std::int32_t)
  PELLORA_FORWARD_PROPERTY(Enabled, VARIANT_BOOL, plc::VARIANT_BOOL)
  PELLORA_FORWARD_PROPERTY(Cursor, SHORT, std::int16_t)

  HRESULT STDMETHODCALLTYPE get_Caption(BSTR* value) override { return getText(value, true); }
  HRESULT STDMETHODCALLTYPE put_Caption(BSTR value) override {
    const PlBstr text(value);
    return handOver(control_->set_Caption(text.get()));
  }
  HRESULT STDMETHODCALLTYPE get_HelpFile(BSTR* value) override { return getText(value, false); }
  HRESULT STDMETHODCALLTYPE put_HelpFile(BSTR value) override {
    const PlBstr text(value);
    return handOver(control_->set_HelpFile(text.get()));
  }

  // Reading hands out a font object of the system's made from the form's
  // font; putting one (by value or by reference) copies it into the form.
  HRESULT STDMETHODCALLTYPE get_Font(IFontDisp** value) override {
    if (!value) return E_POINTER;
    *value = nullptr;
    const pl::ui::Font font = form().font();
    const std::u16string name = pl::content::cp1252ToUtf16(font.name);
    std::wstring wideName(name.begin(), name.end());
    FONTDESC description{};
    description.cbSizeofstruct = sizeof description;
    description.lpstrName = wideName.data();
    // Points, in the currency type's ten-thousandths.
    description.cySize.int64 = std::llround(std::abs(font.height) * 72.0 * 10000 / pixelsPerInch());
    description.sWeight = static_cast<SHORT>(font.bold ? FW_BOLD : FW_NORMAL);
    description.sCharset = DEFAULT_CHARSET;
    description.fItalic = font.italic;
    description.fUnderline = font.underline;
    return ::OleCreateFontIndirect(&description, IID_IFontDisp, reinterpret_cast<void**>(value));
  }
  HRESULT STDMETHODCALLTYPE put_Font(IFontDisp* value) override { return copyFont(value); }
  HRESULT STDMETHODCALLTYPE putref_Font(IFontDisp** value) override {
    return value ? copyFont(*value) : E_POINTER;
  }

  // IPellora: the control's own members
  HRESULT STDMETHODCALLTYPE Load() override { return handOver(control_->Load()); }
  HRESULT STDMETHODCALLTYPE Save() override { return handOver(control_->Save()); }
  HRESULT STDMETHODCALLTYPE Params(BSTR url, BSTR content, BSTR auth) override {
    const PlBstr u(url), c(content), a(auth);
    return handOver(control_->Params(u.get(), c.get(), a.get()));
  }
  HRESULT STDMETHODCALLTYPE Close() override { return handOver(control_->Close()); }
  HRESULT STDMETHODCALLTYPE Options(BSTR options) override {
    const PlBstr text(options);
    return handOver(control_->Options(text.get()));
  }

  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** list) override {
    if (list) *list = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override {
    if (!point) return E_POINTER;
    if (!IsEqualIID(riid, DIID_IPelloraEvents)) {
      *point = nullptr;
      return CONNECT_E_NOCONNECTION;
    }
    *point = &events_;
    events_.AddRef();
    return S_OK;
  }

  // ISupportErrorInfo
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
    return IsEqualIID(riid, IID_IPellora) ? S_OK : S_FALSE;
  }

  // IProvideClassInfo
  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override {
    if (!info) return E_POINTER;
    *info = classInfo_.get();
    (*info)->AddRef();
    return S_OK;
  }

 private:
  ~AxEdit() {
    events_.disconnect();
    if (relayPoint_) {
      relayPoint_->Unadvise(relayCookie_);
      relayPoint_->Release();
    }
  }

  pl::ui::Form& form() { return static_cast<pl::TaxEdit*>(control_.get())->form(); }

  int pixelsPerInch() {
    std::int32_t ppi = 0;
    control_->get_PixelsPerInch(&ppi);
    return ppi > 0 ? ppi : 96;
  }

  HRESULT copyFont(IFontDisp* value) {
    if (!value) return E_POINTER;
    Ref<IFont> source;
    if (FAILED(value->QueryInterface(IID_IFont, reinterpret_cast<void**>(source.out())))) {
      return E_INVALIDARG;
    }
    BSTR name = nullptr;
    CY size{};
    BOOL bold = FALSE, italic = FALSE, underline = FALSE;
    if (FAILED(source->get_Name(&name))) return E_FAIL;
    const std::u16string wideName(reinterpret_cast<const char16_t*>(name), ::SysStringLen(name));
    ::SysFreeString(name);
    pl::ui::Font font = form().font();
    font.name = pl::content::utf16ToCp1252(wideName);
    if (SUCCEEDED(source->get_Size(&size))) {
      font.height = -static_cast<int>(
          std::lround(static_cast<double>(size.int64) * pixelsPerInch() / (72.0 * 10000)));
    }
    if (SUCCEEDED(source->get_Bold(&bold))) font.bold = bold;
    if (SUCCEEDED(source->get_Italic(&italic))) font.italic = italic;
    if (SUCCEEDED(source->get_Underline(&underline))) font.underline = underline;
    form().setFont(font);
    return S_OK;
  }

  HRESULT getText(BSTR* value, bool caption) {
    if (!value) return E_POINTER;
    *value = nullptr;
    PlBstr text;
    const HRESULT hr =
        handOver(caption ? control_->get_Caption(text.out()) : control_->get_HelpFile(text.out()));
    if (FAILED(hr)) return hr;
    *value = text.toSystem();
    return S_OK;
  }

  ULONG refs_ = 1;
  EventsPoint events_;
  EventRelay relay_;
  PlRef<plc::IClassFactory> factory_;
  PlRef<pl::IPellora> control_;
  plc::IConnectionPoint* relayPoint_ = nullptr;  // one reference
  std::uint32_t relayCookie_ = 0;
  Ref<ITypeLib> library_;
  Ref<ITypeInfo> typeInfo_;
  Ref<ITypeInfo> classInfo_;
};

}  // namespace

void setModuleInstance(HINSTANCE instance) { g_instance = instance; }
HINSTANCE moduleInstance() { return g_instance; }

HRESULT createAxEdit(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  auto* control = new AxEdit();
  if (!control->valid()) {
    control->Release();
    return E_FAIL;
  }
  const HRESULT hr = control->QueryInterface(iid, object);
  control->Release();
  return hr;
}

}  // namespace pellora_win
