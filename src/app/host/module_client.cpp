#include "app/host/module_client.h"

#include <dlfcn.h>

#include <stdexcept>

#include "control/com/runtime.h"
#include "control/window_interface.h"
#include "settings/registry.h"

namespace pellora::host {

using namespace com;

namespace {

constexpr const char* kClsid = "{CCD2FBFF-41DA-4E94-9F66-847DD44A6B58}";

// Host text is UTF-8; the automation interface speaks UTF-16.
std::u16string widen(const std::string& utf8) {
  std::u16string wide;
  glong written = 0;
  gunichar2* raw = g_utf8_to_utf16(utf8.c_str(), -1, nullptr, &written, nullptr);
  if (raw) wide.assign(reinterpret_cast<char16_t*>(raw), written);
  g_free(raw);
  return wide;
}

std::string narrow(const std::u16string& wide) {
  gchar* raw = g_utf16_to_utf8(reinterpret_cast<const gunichar2*>(wide.data()),
                               static_cast<glong>(wide.size()), nullptr, nullptr, nullptr);
  std::string utf8 = raw ? raw : "";
  g_free(raw);
  return utf8;
}

std::string variantText(VARIANT& value) {
  VARIANT text;
  VariantInit(&text);
  if (FAILED(VariantChangeType(&text, &value, 0, VT_BSTR))) return "(not text)";
  std::string result = narrow(bstrView(text.bstrVal));
  VariantClear(&text);
  return result;
}

}  // namespace

std::string registeredModule() {
  auto store = settings::RegistryStore::forProcess();
  const auto value = store.readValue(settings::Hive::ClassesRoot,
                                     std::string("CLSID\\") + kClsid + "\\InprocServer32", "");
  return value ? value->data : std::string();
}

ModuleClient::ModuleClient(const std::string& path) {
  module_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module_) throw std::runtime_error(std::string("cannot load the module: ") + dlerror());
  try {
    create();
  } catch (...) {
    dlclose(module_);
    throw;
  }
}

void ModuleClient::create() {
  using GetClassObject = HRESULT (*)(const CLSID&, const IID&, void**);
  auto getClassObject = reinterpret_cast<GetClassObject>(dlsym(module_, "DllGetClassObject"));
  if (!getClassObject) throw std::runtime_error("the module has no DllGetClassObject");
  CLSID clsid{};
  guidFromString(kClsid, clsid);
  IClassFactory* factory = nullptr;
  HRESULT hr = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr) || !factory) throw std::runtime_error("the module offers no axEdit class");
  hr = factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&control_));
  factory->Release();
  if (FAILED(hr) || !control_) throw std::runtime_error("the control could not be created");
}

void ModuleClient::release() {
  if (window2_) {
    if (stateChanged_) static_cast<IPelloraWindow2*>(window2_)->SetStateHandler(nullptr, nullptr);
    window2_->Release();
    window2_ = nullptr;
  }
  if (eventPoint_) {
    eventPoint_->Unadvise(eventCookie_);
    eventPoint_->Release();
    eventPoint_ = nullptr;
  }
  if (control_) control_->Release();
  control_ = nullptr;
}

void ModuleClient::recreate() {
  release();
  create();
  if (eventSink_ && !connectEvents(eventSink_, eventsIid_))
    throw std::runtime_error("the new control takes no event sink");
  if (stateChanged_) watchState(stateChanged_, stateContext_);
  for (const auto* call : {&lastParams_, &lastOptions_}) {
    if (call->empty()) continue;
    const Result result = invoke(call->front(), DISPATCH_METHOD, {call->begin() + 1, call->end()});
    if (FAILED(result.hr)) throw std::runtime_error(result.error);
  }
}

IUnknown* ModuleClient::window2() {
  if (!window2_ && control_) {
    void* window = nullptr;
    if (SUCCEEDED(control_->QueryInterface(IID_IPelloraWindow2, &window)))
      window2_ = static_cast<IPelloraWindow2*>(window);
  }
  return window2_;
}

ModuleClient::DocumentState ModuleClient::documentState() {
  DocumentState state;
  auto* window = static_cast<IPelloraWindow2*>(window2());
  if (!window) return state;
  std::int32_t flags = 0;
  if (FAILED(window->GetDocumentState(&flags))) return state;
  state.known = true;
  state.open = flags & pdfEditorOpen;
  state.modified = flags & pdfModified;
  state.saved = flags & pdfSaved;
  state.notLoaded = flags & pdfLoadFailed;
  auto read = [](HRESULT (IPelloraWindow2::*member)(BSTR*), IPelloraWindow2& from) {
    BSTR text = nullptr;
    std::string value;
    if (SUCCEEDED((from.*member)(&text)) && text) value = narrow(bstrView(text));
    if (text) SysFreeString(text);
    return value;
  };
  state.name = read(&IPelloraWindow2::GetContentName, *window);
  state.language = read(&IPelloraWindow2::GetLanguage, *window);
  return state;
}

bool ModuleClient::watchState(void (*changed)(void* context), void* context) {
  stateChanged_ = changed;
  stateContext_ = context;
  auto* window = static_cast<IPelloraWindow2*>(window2());
  return window && SUCCEEDED(window->SetStateHandler(changed, context));
}

ModuleClient::~ModuleClient() {
  release();
  // The module stays resident (GTK cannot be unloaded); closing the handle
  // only drops our reference.
  if (module_) dlclose(module_);
}

GtkWidget* ModuleClient::window() {
  IPelloraWindow* window = nullptr;
  if (!control_) return nullptr;
  if (FAILED(control_->QueryInterface(IID_IPelloraWindow, reinterpret_cast<void**>(&window))))
    return nullptr;
  void* widget = nullptr;
  const HRESULT hr = window->GetWindow(&widget);
  window->Release();
  return SUCCEEDED(hr) ? static_cast<GtkWidget*>(widget) : nullptr;
}

bool ModuleClient::connectEvents(IUnknown* sink, const IID& events) {
  eventSink_ = sink;
  eventsIid_ = events;
  IConnectionPointContainer* container = nullptr;
  if (!control_ || FAILED(control_->QueryInterface(IID_IConnectionPointContainer,
                                                   reinterpret_cast<void**>(&container))))
    return false;
  IConnectionPoint* point = nullptr;
  HRESULT hr = container->FindConnectionPoint(events, &point);
  container->Release();
  if (FAILED(hr) || !point) return false;
  hr = point->Advise(sink, &eventCookie_);
  if (FAILED(hr)) {
    point->Release();
    return false;
  }
  eventPoint_ = point;
  return true;
}

ModuleClient::Result ModuleClient::call(const std::string& member,
                                        const std::vector<std::string>& arguments) {
  const Result result = invoke(member, DISPATCH_METHOD, arguments);
  // Remembered for a control made anew, as a page would call them again.
  if (SUCCEEDED(result.hr) && (member == "Params" || member == "Options")) {
    std::vector<std::string>& last = member == "Params" ? lastParams_ : lastOptions_;
    last = {member};
    last.insert(last.end(), arguments.begin(), arguments.end());
  }
  return result;
}

ModuleClient::Result ModuleClient::get(const std::string& property) {
  return invoke(property, DISPATCH_PROPERTYGET, {});
}

ModuleClient::Result ModuleClient::invoke(const std::string& member, WORD flags,
                                          const std::vector<std::string>& arguments) {
  Result result;
  if (!control_) {
    result.hr = E_UNEXPECTED;
    result.error = "there is no control";
    return result;
  }
  std::u16string name = widen(member);
  LPOLESTR names[] = {name.data()};
  DISPID id = DISPID_UNKNOWN;
  result.hr = control_->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
  if (FAILED(result.hr)) {
    result.error = "unknown member " + member;
    return result;
  }
  // Arguments go in reverse order.
  std::vector<VARIANT> args(arguments.size());
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    VARIANT& arg = args[arguments.size() - 1 - i];
    VariantInit(&arg);
    arg.vt = VT_BSTR;
    arg.bstrVal = allocBstr(widen(arguments[i]));
  }
  DISPPARAMS params{args.data(), nullptr, static_cast<std::uint32_t>(args.size()), 0};
  VARIANT value;
  VariantInit(&value);
  EXCEPINFO info{};
  result.hr = control_->Invoke(id, IID_NULL, 0, flags, &params, &value, &info, nullptr);
  if (SUCCEEDED(result.hr) && value.vt != VT_EMPTY) result.value = variantText(value);
  if (FAILED(result.hr) && info.bstrDescription)
    result.error = narrow(bstrView(info.bstrDescription));
  if (info.bstrSource) SysFreeString(info.bstrSource);
  if (info.bstrDescription) SysFreeString(info.bstrDescription);
  if (info.bstrHelpFile) SysFreeString(info.bstrHelpFile);
  VariantClear(&value);
  for (VARIANT& arg : args) VariantClear(&arg);
  return result;
}

}  // namespace pellora::host
