// The Windows module seen from outside, as a host on Windows sees it: the
// entry points by ordinal, the class factory, the type library, the
// resources, IDispatch through oleaut32 and the events connection point.
// The module file is named by PELLORA_MODULE.
#include <gtest/gtest.h>
#include <olectl.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "windows/pellora_h.h"

namespace {

std::wstring modulePath() {
  const char* path = std::getenv("PELLORA_MODULE");
  return path ? std::wstring(path, path + std::strlen(path)) : std::wstring();
}

template <typename T>
class Ref {
 public:
  Ref() = default;
  ~Ref() {
    if (p_) p_->Release();
  }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  T* get() const { return p_; }
  T** out() { return &p_; }
  void** outVoid() { return reinterpret_cast<void**>(&p_); }
  T* operator->() const { return p_; }
  void reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }

 private:
  T* p_ = nullptr;
};

class Bstr {
 public:
  explicit Bstr(const wchar_t* text = nullptr) : text_(text ? ::SysAllocString(text) : nullptr) {}
  ~Bstr() { ::SysFreeString(text_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return text_; }
  BSTR* out() { return &text_; }
  std::wstring text() const { return text_ ? std::wstring(text_, ::SysStringLen(text_)) : L""; }

 private:
  BSTR text_;
};

// Names here are ASCII; gtest prints narrow text.
std::string ascii(const std::wstring& text) { return std::string(text.begin(), text.end()); }

using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using PlainFn = HRESULT(WINAPI*)();

// An export as the function it is; the cast goes through the generic
// function pointer type, as GetProcAddress's callers must.
template <typename Function>
Function exported(FARPROC address) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

// A sink of IPelloraEvents that answers the events IID only when asked to.
class Sink final : public IDispatch {
 public:
  explicit Sink(bool answersEvents) : answersEvents_(answersEvents) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        (answersEvents_ && IsEqualIID(riid, DIID_IPelloraEvents))) {
      *ppv = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return S_OK;
  }
  ULONG refs = 1;  // the test's own, on the stack

 private:
  bool answersEvents_;
};

class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(modulePath().empty()) << "PELLORA_MODULE is not set";
    ASSERT_HRESULT_SUCCEEDED(::OleInitialize(nullptr));
    module_ = ::LoadLibraryW(modulePath().c_str());
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override {
    if (module_) ::FreeLibrary(module_);
    ::OleUninitialize();
  }
  FARPROC byOrdinal(int ordinal) {
    return ::GetProcAddress(module_, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(ordinal)));
  }
  GetClassObjectFn getClassObject() {
    return exported<GetClassObjectFn>(::GetProcAddress(module_, "DllGetClassObject"));
  }
  // A new control through the module's factory.
  void create(Ref<IPellora>& control) {
    Ref<IClassFactory> factory;
    ASSERT_HRESULT_SUCCEEDED(getClassObject()(CLSID_axEdit, IID_IClassFactory, factory.outVoid()));
    ASSERT_HRESULT_SUCCEEDED(factory->CreateInstance(nullptr, IID_IPellora, control.outVoid()));
  }
  HMODULE module_ = nullptr;
};

TEST_F(ModuleTest, ExportsTheFourEntryPointsAtOrdinalsOneToFour) {
  const char* names[] = {"DllUnregisterServer", "DllRegisterServer", "DllCanUnloadNow",
                         "DllGetClassObject"};
  for (int ordinal = 1; ordinal <= 4; ++ordinal) {
    SCOPED_TRACE(names[ordinal - 1]);
    const FARPROC byName = ::GetProcAddress(module_, names[ordinal - 1]);
    ASSERT_NE(byName, nullptr);
    EXPECT_EQ(byOrdinal(ordinal), byName);
  }
}

TEST_F(ModuleTest, ClassObjectOnlyForAxEdit) {
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(getClassObject()(IID_IPellora, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(object, nullptr);
  Ref<IUnknown> factory;
  EXPECT_EQ(getClassObject()(CLSID_axEdit, IID_IDispatch, factory.outVoid()), E_NOINTERFACE);
}

TEST_F(ModuleTest, CanUnloadOnlyWithoutLiveObjectsOrLocks) {
  const auto canUnload = exported<PlainFn>(::GetProcAddress(module_, "DllCanUnloadNow"));
  EXPECT_EQ(canUnload(), S_OK);
  Ref<IPellora> control;
  create(control);
  EXPECT_EQ(canUnload(), S_FALSE);
  control.reset();
  EXPECT_EQ(canUnload(), S_OK);
  Ref<IClassFactory> factory;
  ASSERT_HRESULT_SUCCEEDED(getClassObject()(CLSID_axEdit, IID_IClassFactory, factory.outVoid()));
  factory->LockServer(TRUE);
  EXPECT_EQ(canUnload(), S_FALSE);
  factory->LockServer(FALSE);
  EXPECT_EQ(canUnload(), S_OK);
}

TEST_F(ModuleTest, TypeLibraryAsDeclared) {
  Ref<ITypeLib> library;
  ASSERT_HRESULT_SUCCEEDED(::LoadTypeLibEx(modulePath().c_str(), REGKIND_NONE, library.out()));
  TLIBATTR* attributes = nullptr;
  ASSERT_HRESULT_SUCCEEDED(library->GetLibAttr(&attributes));
  EXPECT_TRUE(IsEqualGUID(attributes->guid, LIBID_Pellora));
  EXPECT_EQ(attributes->wMajorVerNum, 2);
  EXPECT_EQ(attributes->wMinorVerNum, 0);
  EXPECT_EQ(attributes->lcid, 0x0409u);
  EXPECT_TRUE(attributes->wLibFlags & LIBFLAG_FCONTROL);
  library->ReleaseTLibAttr(attributes);

  Bstr name, help;
  ASSERT_HRESULT_SUCCEEDED(library->GetDocumentation(-1, name.out(), help.out(), nullptr, nullptr));
  EXPECT_EQ(name.text(), L"Pellora");
  EXPECT_EQ(help.text(), L"Pellora Control 2.0");

  struct Expected {
    const wchar_t* name;
    TYPEKIND kind;
    const wchar_t* doc;
  };
  // By name, since widl orders the types by first use (see the report).
  const Expected expected[] = {
      {L"IPellora", TKIND_DISPATCH, L"Dispatch-Schnittstelle f\u00fcr Pellora-Element"},
      {L"IPelloraEvents", TKIND_DISPATCH, L"Ereignis-Schnittstelle f\u00fcr Pellora-Element"},
      {L"axEdit", TKIND_COCLASS, L"Pellora Class"},
      {L"TxActiveFormBorderStyle", TKIND_ENUM, L""},
      {L"TxPrintScale", TKIND_ENUM, L""},
      {L"TxMouseButton", TKIND_ENUM, L""},
  };
  EXPECT_EQ(library->GetTypeInfoCount(), 6u);
  for (const Expected& type : expected) {
    SCOPED_TRACE(ascii(type.name));
    bool found = false;
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
      Bstr typeName, doc;
      library->GetDocumentation(static_cast<INT>(i), typeName.out(), doc.out(), nullptr, nullptr);
      if (typeName.text() != type.name) continue;
      found = true;
      TYPEKIND kind;
      ASSERT_HRESULT_SUCCEEDED(library->GetTypeInfoType(i, &kind));
      EXPECT_EQ(kind, type.kind);
      EXPECT_EQ(doc.text(), type.doc);
    }
    EXPECT_TRUE(found);
  }
}

TEST_F(ModuleTest, DispatchNamesAndCallsFromTheTypeLibrary) {
  Ref<IPellora> control;
  create(control);
  struct Name {
    const wchar_t* name;
    DISPID id;
  };
  const Name names[] = {{L"Caption", -518}, {L"caption", -518}, {L"AxBorderStyle", 4},
                        {L"Load", 15},      {L"Save", 16},      {L"PARAMS", 17},
                        {L"Close", 18},     {L"Options", 19},   {L"Enabled", -514}};
  for (const Name& entry : names) {
    LPOLESTR name = const_cast<LPOLESTR>(entry.name);
    DISPID id = 0;
    ASSERT_HRESULT_SUCCEEDED(control->GetIDsOfNames(IID_NULL, &name, 1, 0x0409, &id));
    EXPECT_EQ(id, entry.id);
  }
  LPOLESTR unknown = const_cast<LPOLESTR>(L"NoSuchMember");
  DISPID id = 0;
  EXPECT_EQ(control->GetIDsOfNames(IID_NULL, &unknown, 1, 0x0409, &id), DISP_E_UNKNOWNNAME);

  VARIANT result;
  ::VariantInit(&result);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  ASSERT_HRESULT_SUCCEEDED(control->Invoke(-518, IID_NULL, 0x0409, DISPATCH_PROPERTYGET, &none,
                                           &result, nullptr, nullptr));
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(std::wstring(result.bstrVal), L"Pellora");
  ::VariantClear(&result);

  // Params by Invoke, arguments in reverse order.
  VARIANT args[3];
  const wchar_t* values[] = {L"token", L"Sample 1", L"http://127.0.0.1:9/tessaron"};
  for (int i = 0; i < 3; ++i) {
    ::VariantInit(&args[i]);
    args[i].vt = VT_BSTR;
    args[i].bstrVal = ::SysAllocString(values[i]);
  }
  DISPPARAMS three{args, nullptr, 3, 0};
  EXPECT_HRESULT_SUCCEEDED(
      control->Invoke(17, IID_NULL, 0x0409, DISPATCH_METHOD, &three, nullptr, nullptr, nullptr));
  DISPPARAMS two{args, nullptr, 2, 0};
  EXPECT_EQ(control->Invoke(17, IID_NULL, 0x0409, DISPATCH_METHOD, &two, nullptr, nullptr, nullptr),
            DISP_E_BADPARAMCOUNT);
  for (auto& arg : args) ::VariantClear(&arg);
}

TEST_F(ModuleTest, EventsPointTakesOneSinkThatAnswersTheEventsInterface) {
  Ref<IPellora> control;
  create(control);
  Ref<IConnectionPointContainer> container;
  ASSERT_HRESULT_SUCCEEDED(
      control->QueryInterface(IID_IConnectionPointContainer, container.outVoid()));
  Ref<IConnectionPoint> point;
  ASSERT_HRESULT_SUCCEEDED(container->FindConnectionPoint(DIID_IPelloraEvents, point.out()));
  IID iid{};
  ASSERT_HRESULT_SUCCEEDED(point->GetConnectionInterface(&iid));
  EXPECT_TRUE(IsEqualIID(iid, DIID_IPelloraEvents));
  Ref<IConnectionPoint> other;
  EXPECT_EQ(container->FindConnectionPoint(IID_IPellora, other.out()), CONNECT_E_NOCONNECTION);

  Sink stranger(false), first(true), second(true);
  DWORD cookie = 0;
  EXPECT_EQ(point->Advise(&stranger, &cookie), CONNECT_E_CANNOTCONNECT);
  ASSERT_HRESULT_SUCCEEDED(point->Advise(&first, &cookie));
  EXPECT_GT(first.refs, 1u);
  DWORD refused = 0;
  EXPECT_EQ(point->Advise(&second, &refused), CONNECT_E_ADVISELIMIT);
  EXPECT_EQ(point->Unadvise(cookie + 1), CONNECT_E_NOCONNECTION);
  ASSERT_HRESULT_SUCCEEDED(point->Unadvise(cookie));
  EXPECT_EQ(first.refs, 1u);
  EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
  ASSERT_HRESULT_SUCCEEDED(point->Advise(&second, &cookie));
  // Releasing the control lets go of the sink.
  point.reset();
  container.reset();
  control.reset();
  EXPECT_EQ(second.refs, 1u);
}

TEST_F(ModuleTest, VersionResourceAndToolboxBitmap) {
  const std::wstring path = modulePath();
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(1, 2));
  EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, 100));
  EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(1, 2));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
  const std::pair<const wchar_t*, const wchar_t*> fields[] = {
      {L"FileDescription", L"WYSIWYG-Editor for Tessaron"},
      {L"FileVersion", L"2.1.100.0"},
      {L"InternalName", L"Pellora"},
      {L"OriginalFilename", L"pellora.ocx"},
      {L"ProductName", L"Pellora ActiveX Control"},
      {L"ProductVersion", L"2.1"},
      {L"OleSelfRegister", L"1"},
  };
  for (const auto& [name, value] : fields) {
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904E4\\") + name;
    wchar_t* text = nullptr;
    ASSERT_TRUE(
        ::VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length))
        << ascii(name);
    EXPECT_EQ(std::wstring(text), value);
  }

  HBITMAP bitmap = static_cast<HBITMAP>(
      ::LoadImageW(module_, MAKEINTRESOURCEW(1), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_NE(bitmap, nullptr);
  DIBSECTION dib{};
  ASSERT_NE(::GetObjectW(bitmap, sizeof dib, &dib), 0);
  EXPECT_EQ(dib.dsBmih.biWidth, 16);
  EXPECT_EQ(dib.dsBmih.biHeight, 15);
  EXPECT_EQ(dib.dsBmih.biBitCount, 4);
  ::DeleteObject(bitmap);
}

}  // namespace
