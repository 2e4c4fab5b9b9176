#include <gtest/gtest.h>

#include "control/application.h"
#include "control/ax_impl.h"
#include "control/class_factory.h"
#include "control/com_test_support.h"
#include "control/type_info.h"
#include "exchange/editing_context.h"
#include "support/fake_platform.h"

namespace pellora {
namespace {

using test::Bstr;
using test::RecordingSink;
using test::Variant;

class AxEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetEditingContextForTesting();
    ASSERT_EQ(getClassObject(CLSID_axEdit, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPellora, reinterpret_cast<void**>(&control)),
              S_OK);
  }
  void TearDown() override {
    if (control) control->Release();
    application() = {};
    EXPECT_EQ(canUnloadNow(), S_OK) << "every object released";
  }

  HRESULT invoke(DISPID id, WORD flags, std::vector<VARIANT> args, VARIANT* result,
                 std::uint32_t* argErr = nullptr, EXCEPINFO* excep = nullptr) {
    std::reverse(args.begin(), args.end());  // dispatch arguments go last-first
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{args.data(), (flags & DISPATCH_PROPERTYPUT) ? &put : nullptr,
                      static_cast<std::uint32_t>(args.size()),
                      (flags & DISPATCH_PROPERTYPUT) ? 1u : 0u};
    const HRESULT hr = control->Invoke(id, IID_NULL, 0, flags, &params, result, excep, argErr);
    for (auto& arg : args) VariantClear(&arg);
    return hr;
  }

  DISPID idOf(std::u16string name) {
    LPOLESTR names[] = {name.data()};
    DISPID id = 0;
    EXPECT_EQ(control->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    return id;
  }

  test::ScopedFakePlatform fake;
  IClassFactory* factory = nullptr;
  IPellora* control = nullptr;
};

TEST_F(AxEditTest, CreationBuildsTheEditorAndDialogsWithoutADocument) {
  const EditorForms& forms = application();
  ASSERT_TRUE(forms.MainForm && forms.TableForm && forms.UploadForm && forms.AboutForm &&
              forms.OptionsForm);
  EXPECT_TRUE(forms.MainForm->visible());
  EXPECT_EQ(forms.MainForm->align(), ui::Align::Client);
  EXPECT_TRUE(fake.platform.lastSurface()->documentPuts.empty());

  Variant caption, border;
  ASSERT_EQ(invoke(DISPID_Caption, DISPATCH_PROPERTYGET, {}, &caption.v), S_OK);
  ASSERT_EQ(caption.v.vt, VT_BSTR);
  EXPECT_EQ(bstrView(caption.v.bstrVal), u"Pellora");
  ASSERT_EQ(invoke(DISPID_AxBorderStyle, DISPATCH_PROPERTYGET, {}, &border.v), S_OK);
  EXPECT_EQ(border.v.lVal, afbNone);
}

TEST_F(AxEditTest, NamesMapToDispatchIdsCaseInsensitively) {
  EXPECT_EQ(idOf(u"caption"), DISPID_Caption);
  EXPECT_EQ(idOf(u"Params"), DISPID_Params);
  EXPECT_EQ(idOf(u"ENABLED"), DISPID_Enabled);

  std::u16string unknown = u"Frobnicate";
  LPOLESTR names[] = {unknown.data()};
  DISPID id = 0;
  EXPECT_EQ(control->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(id, DISPID_UNKNOWN);

  std::u16string method = u"Params", good = u"Auth", bad = u"Nope";
  LPOLESTR withParams[] = {method.data(), good.data(), bad.data()};
  DISPID ids[3];
  EXPECT_EQ(control->GetIDsOfNames(IID_NULL, withParams, 3, 0, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], DISPID_Params);
  EXPECT_EQ(ids[1], 2);
  EXPECT_EQ(ids[2], DISPID_UNKNOWN);
}

TEST_F(AxEditTest, TypeInformationDescribesIPellora) {
  ITypeInfo* info = nullptr;
  EXPECT_EQ(control->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);
  EXPECT_EQ(info, nullptr);
  ASSERT_EQ(control->GetTypeInfo(0, 0, &info), S_OK);

  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->guid, IID_IPellora);
  EXPECT_EQ(attr->cFuncs, 40) << "35 standard accessors and 5 methods";
  EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDUAL);
  info->ReleaseTypeAttr(attr);

  BSTR name = nullptr, doc = nullptr;
  ASSERT_EQ(info->GetDocumentation(DISPID_UNKNOWN, &name, &doc, nullptr, nullptr), S_OK);
  EXPECT_EQ(bstrView(name), u"IPellora");
  EXPECT_EQ(bstrView(doc), u"Dispatch-Schnittstelle f\u00FCr Pellora-Element");
  SysFreeString(name);
  SysFreeString(doc);

  // Slot order: Visible's reader at 7, hidden; Load at 42, Options last at 46.
  auto slotOf = [&](std::uint32_t index, DISPID expected, bool hidden) {
    FUNCDESC* desc = nullptr;
    ASSERT_EQ(info->GetFuncDesc(index, &desc), S_OK);
    EXPECT_EQ(desc->memid, expected) << index;
    EXPECT_EQ(desc->oVft, static_cast<std::int16_t>((7 + index) * sizeof(void*))) << index;
    EXPECT_EQ((desc->wFuncFlags & FUNCFLAG_FHIDDEN) != 0, hidden) << index;
    info->ReleaseFuncDesc(desc);
  };
  slotOf(0, DISPID_Visible, true);
  slotOf(8, DISPID_Caption, false);
  slotOf(35, DISPID_Load, false);
  slotOf(39, DISPID_Options, false);
  FUNCDESC* none = nullptr;
  EXPECT_EQ(info->GetFuncDesc(40, &none), TYPE_E_ELEMENTNOTFOUND);

  BSTR names[4] = {};
  std::uint32_t count = 0;
  ASSERT_EQ(info->GetNames(DISPID_Params, names, 4, &count), S_OK);
  ASSERT_EQ(count, 4u);
  EXPECT_EQ(bstrView(names[3]), u"Auth");
  for (BSTR n : names) SysFreeString(n);
  info->Release();
}

TEST_F(AxEditTest, InvokeRejectsBadCallsWithTheProperCodes) {
  Variant result;
  VARIANT text;
  Variant::string(text, u"x");
  EXPECT_EQ(invoke(DISPID_Load, DISPATCH_METHOD, {text}, &result.v), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(invoke(DISPID_Caption, DISPATCH_PROPERTYGET, {VARIANT{}}, &result.v),
            DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(invoke(12345, DISPATCH_METHOD, {}, &result.v), DISP_E_MEMBERNOTFOUND);
  VARIANT flag{};
  flag.vt = VT_BOOL;
  EXPECT_EQ(invoke(DISPID_Active, DISPATCH_PROPERTYPUT, {flag}, &result.v), DISP_E_MEMBERNOTFOUND)
      << "Active has no writer";

  VARIANT notANumber;
  Variant::string(notANumber, u"wide");
  std::uint32_t argErr = 99;
  EXPECT_EQ(invoke(DISPID_PixelsPerInch, DISPATCH_PROPERTYPUT, {notANumber}, &result.v, &argErr),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 0u);

  VARIANT object{};
  object.vt = VT_DISPATCH;  // null object where a string is wanted
  VARIANT a, b;
  Variant::string(a, u"a");
  Variant::string(b, u"b");
  EXPECT_EQ(invoke(DISPID_Params, DISPATCH_METHOD, {a, b, object}, &result.v, &argErr),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 0u) << "the third argument sits first in the reversed array";

  DISPPARAMS missing{nullptr, nullptr, 2, 0};
  EXPECT_EQ(control->Invoke(DISPID_Params, IID_NULL, 0, DISPATCH_METHOD, &missing, nullptr, nullptr,
                            nullptr),
            E_INVALIDARG);
}

TEST_F(AxEditTest, ParamsAndOptionsOnlyStoreTheirTextsConverted) {
  VARIANT url, content, auth, options;
  Variant::string(url, u"http://example.test/t");
  Variant::string(content, u"K\u00FCche \u0142");  // ł has no Windows-1252 byte
  Variant::string(auth, u"");
  Variant::string(options, u"nohtml");
  Variant result;
  ASSERT_EQ(invoke(DISPID_Params, DISPATCH_METHOD, {url, content, auth}, &result.v), S_OK);
  ASSERT_EQ(invoke(DISPID_Options, DISPATCH_METHOD, {options}, &result.v), S_OK);
  const EditingContext& context = editingContext();
  EXPECT_EQ(context.BaseUrl, "http://example.test/t");
  EXPECT_EQ(context.ContentName,
            "K\xFC"
            "che &#322;");
  EXPECT_EQ(context.AuthToken, "");
  EXPECT_EQ(context.EditOptions, "nohtml");
  EXPECT_TRUE(fake.platform.lastSurface()->documentPuts.empty()) << "nothing fetched";
}

// Calls slot `slot` of the IPellora vtable directly, as a vtable-bound host
// does, so a member declared out of order would be caught.
template <typename Fn, typename... Args>
HRESULT callSlot(IPellora* object, int slot, Args... args) {
  void** vtable = *reinterpret_cast<void***>(object);
  return reinterpret_cast<Fn>(vtable[slot])(object, args...);
}

TEST_F(AxEditTest, VtableSlotsFollowTheTypeLibraryOrder) {
  BSTR caption = nullptr;
  ASSERT_EQ((callSlot<HRESULT (*)(IPellora*, BSTR*)>(control, 15, &caption)), S_OK);
  EXPECT_EQ(bstrView(caption), u"Pellora");
  SysFreeString(caption);

  std::int16_t cursor = 7;
  ASSERT_EQ((callSlot<HRESULT (*)(IPellora*, std::int16_t)>(control, 41, std::int16_t{-11})), S_OK);
  ASSERT_EQ((callSlot<HRESULT (*)(IPellora*, std::int16_t*)>(control, 40, &cursor)), S_OK);
  EXPECT_EQ(cursor, -11);

  Bstr url(u"u"), content(u"c"), auth(u"a"), options(u"notable");
  ASSERT_EQ((callSlot<HRESULT (*)(IPellora*, BSTR, BSTR, BSTR)>(control, 44, url.value,
                                                                content.value, auth.value)),
            S_OK);
  ASSERT_EQ((callSlot<HRESULT (*)(IPellora*, BSTR)>(control, 46, options.value)), S_OK);
  EXPECT_EQ(editingContext().ContentName, "c");
  EXPECT_EQ(editingContext().EditOptions, "notable");

  ASSERT_EQ((callSlot<HRESULT (*)(IPellora*)>(control, 45)), S_OK);  // Close
  EXPECT_FALSE(application().editorExists());
}

TEST_F(AxEditTest, LoadAndSaveAfterCloseFailWithoutTouchingTheEditor) {
  int loads = 0;
  application().MainForm->btnLoad.onClick = [&] { ++loads; };
  ASSERT_EQ(control->Load(), S_OK);
  EXPECT_EQ(loads, 1);

  ASSERT_EQ(control->Close(), S_OK);
  EXPECT_FALSE(application().editorExists());
  EXPECT_EQ(control->Close(), S_OK) << "a second Close does nothing";

  EXPECT_TRUE(FAILED(control->Load()));
  EXPECT_EQ(test::takeErrorDescription(), u"The editor has been closed.");
  EXPECT_TRUE(FAILED(control->Save()));
  EXPECT_EQ(test::takeErrorDescription(), u"The editor has been closed.");

  Variant result;
  EXCEPINFO excep{};
  EXPECT_EQ(invoke(DISPID_Load, DISPATCH_METHOD, {}, &result.v, nullptr, &excep), DISP_E_EXCEPTION);
  EXPECT_EQ(bstrView(excep.bstrDescription), u"The editor has been closed.");
  SysFreeString(excep.bstrDescription);
  SysFreeString(excep.bstrSource);
}

TEST_F(AxEditTest, CloseDuringARunningLoadWaitsForTheLoadToEnd) {
  TMainForm* editor = application().MainForm.get();
  bool editorAliveAfterClose = false;
  HRESULT nestedLoad = S_OK;
  editor->btnLoad.onClick = [&] {
    // What a message pumped during the transfer may do.
    ++editor->RequestsRunning;
    EXPECT_EQ(control->Close(), S_OK);
    editorAliveAfterClose = application().editorExists();
    nestedLoad = control->Load();
    --editor->RequestsRunning;
  };
  ASSERT_EQ(control->Load(), S_OK);
  EXPECT_TRUE(editorAliveAfterClose) << "not freed under the running request";
  EXPECT_TRUE(FAILED(nestedLoad)) << "a closed editor takes no new work";
  EXPECT_FALSE(application().editorExists()) << "closed once the request ended";
  EXPECT_FALSE(application().closePending);
}

TEST_F(AxEditTest, ASecondControlTakesTheEditorOverButNotDuringARequest) {
  TMainForm* first = application().MainForm.get();
  HRESULT duringRequest = S_OK;
  first->btnLoad.onClick = [&] {
    ++first->RequestsRunning;
    IPellora* second = nullptr;
    duringRequest =
        factory->CreateInstance(nullptr, IID_IPellora, reinterpret_cast<void**>(&second));
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(application().MainForm.get(), first) << "the running request keeps its form";
    --first->RequestsRunning;
  };
  ASSERT_EQ(control->Load(), S_OK);
  EXPECT_TRUE(FAILED(duringRequest));

  IPellora* second = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPellora, reinterpret_cast<void**>(&second)),
            S_OK);
  EXPECT_NE(application().MainForm.get(), nullptr);
  EXPECT_EQ(control->Close(), S_OK);
  EXPECT_TRUE(application().editorExists()) << "the first control's Close leaves the second's";
  EXPECT_EQ(second->Close(), S_OK);
  EXPECT_FALSE(application().editorExists()) << "one editor per process";
  second->Release();
}

TEST_F(AxEditTest, SaveClosesTheEditorOnlyWhenTheServerAcknowledged) {
  bool acknowledge = false;
  application().MainForm->btnSave.onClick = [&] { editingContext().SaveSucceeded = acknowledge; };
  ASSERT_EQ(control->Save(), S_OK);
  EXPECT_TRUE(application().editorExists());
  acknowledge = true;
  ASSERT_EQ(control->Save(), S_OK);
  EXPECT_FALSE(application().editorExists());
  EXPECT_EQ(editingContext().ContentName, "Sample 1") << "the context outlives the editor";
}

TEST_F(AxEditTest, EventsReachOneSinkAndKeyPressKeepsTheLowByte) {
  auto* axEdit = static_cast<TaxEdit*>(control);
  axEdit->FormClick();  // no sink: nothing to do, no crash

  IConnectionPointContainer* container = nullptr;
  ASSERT_EQ(
      control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)),
      S_OK);
  IConnectionPoint* point = nullptr;
  ASSERT_EQ(container->FindConnectionPoint(DIID_IPelloraEvents, &point), S_OK);

  RecordingSink sink(DIID_IPelloraEvents), second(DIID_IPelloraEvents);
  std::uint32_t cookie = 0, secondCookie = 0;
  ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
  EXPECT_EQ(point->Advise(&second, &secondCookie), CONNECT_E_ADVISELIMIT);

  axEdit->FormActivate();
  axEdit->FormClick();
  axEdit->FormDblClick();
  axEdit->FormPaint();
  sink.onKeyPress = [](std::int16_t) { return static_cast<std::int16_t>(0x1241); };
  char key = '\xE4';
  axEdit->FormKeyPress(key);
  EXPECT_EQ(sink.received,
            (std::vector<DISPID>{DISPID_OnActivate, DISPID_OnClick, DISPID_OnDblClick,
                                 DISPID_OnPaint, DISPID_OnKeyPress}));
  EXPECT_EQ(sink.lastFlags, DISPATCH_METHOD);
  EXPECT_EQ(sink.keysSeen, (std::vector<std::int16_t>{0xE4})) << "zero-extended";
  EXPECT_EQ(key, '\x41');

  ASSERT_EQ(point->Unadvise(cookie), S_OK);
  EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
  axEdit->FormClick();
  EXPECT_EQ(sink.received.size(), 5u);
  EXPECT_EQ(sink.refs, 1u) << "the control released the sink";
  point->Release();
  container->Release();
}

TEST_F(AxEditTest, FactoryRefusesOtherClassesAndCountsObjectsAndLocks) {
  void* object = reinterpret_cast<void*>(0x1);
  const CLSID other{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  EXPECT_EQ(getClassObject(other, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(getClassObject(CLSID_axEdit, IID_IPellora, &object), E_NOINTERFACE);

  EXPECT_EQ(canUnloadNow(), S_FALSE) << "a control is alive";
  control->Release();
  control = nullptr;
  EXPECT_EQ(canUnloadNow(), S_OK);
  factory->LockServer(1);
  EXPECT_EQ(canUnloadNow(), S_FALSE);
  factory->LockServer(0);
  EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST_F(AxEditTest, FontMirrorsTheContainerForm) {
  IFontDisp* font = nullptr;
  ASSERT_EQ(control->get_Font(&font), S_OK);
  std::u16string nameText = u"Name";
  LPOLESTR names[] = {nameText.data()};
  DISPID nameId = 99;
  ASSERT_EQ(font->GetIDsOfNames(IID_NULL, names, 1, 0, &nameId), S_OK);
  Variant name;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  ASSERT_EQ(
      font->Invoke(nameId, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &name.v, nullptr, nullptr),
      S_OK);
  EXPECT_EQ(bstrView(name.v.bstrVal), u"MS Sans Serif");

  // Writing the font back copies it; a by-value put through Invoke too.
  auto* axEdit = static_cast<TaxEdit*>(control);
  ui::Font changed = axEdit->form().font();
  changed.name = "Arial";
  changed.bold = true;
  axEdit->form().setFont(changed);
  ASSERT_EQ(control->set_Font(font), S_OK);  // the object mirrors the form: no change
  EXPECT_EQ(axEdit->form().font().name, "Arial");
  EXPECT_TRUE(axEdit->form().font().bold);
  font->Release();
}

}  // namespace
}  // namespace pellora
