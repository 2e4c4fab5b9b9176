// The module as a host sees it: loaded with dlopen, driven only through its
// four entry points and the interfaces they hand out.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "control/com/runtime.h"
#include "control/com/unknown.h"
#include "control/version_info.h"
#include "support/fake_platform.h"

namespace pellora {
namespace {

using namespace com;

const CLSID kAxEdit{0xCCD2FBFF, 0x41DA, 0x4E94, {0x9F, 0x66, 0x84, 0x7D, 0xD4, 0x4A, 0x6B, 0x58}};

class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    handle = dlopen(PELLORA_OCX_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
  }
  void TearDown() override {
    if (handle) dlclose(handle);
  }
  // The control reads its settings: keep it away from the user's.
  test::ScopedRegistryDir registry;
  template <typename T>
  T entry(const char* name) {
    return reinterpret_cast<T>(dlsym(handle, name));
  }
  void* handle = nullptr;
};

DISPID idOf(IDispatch* object, std::u16string name) {
  LPOLESTR names[] = {name.data()};
  DISPID id = DISPID_UNKNOWN;
  EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
  return id;
}

TEST_F(ModuleTest, ExportsOnlyTheFourEntryPoints) {
  for (const char* name :
       {"DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer", "DllUnregisterServer"}) {
    EXPECT_NE(dlsym(handle, name), nullptr) << name;
  }
  EXPECT_EQ(dlsym(handle, "_ZN7pellora14editingContextEv"), nullptr) << "internals stay hidden";
}

TEST_F(ModuleTest, HostCreatesTheControlAndDrivesItThroughIDispatch) {
  using GetClassObject = HRESULT (*)(const CLSID&, const IID&, void**);
  using CanUnloadNow = HRESULT (*)();
  auto getClassObject = entry<GetClassObject>("DllGetClassObject");
  auto canUnloadNow = entry<CanUnloadNow>("DllCanUnloadNow");

  IClassFactory* factory = nullptr;
  ASSERT_EQ(getClassObject(kAxEdit, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  IDispatch* control = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&control)),
            S_OK);
  EXPECT_EQ(canUnloadNow(), S_FALSE);

  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(control->Invoke(idOf(control, u"Caption"), IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                            &result, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(bstrView(result.bstrVal), u"Pellora");
  VariantClear(&result);
  ASSERT_EQ(control->Invoke(idOf(control, u"AxBorderStyle"), IID_NULL, 0, DISPATCH_PROPERTYGET,
                            &none, &result, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 0);

  VARIANT args[3];
  for (auto& arg : args) {
    VariantInit(&arg);
    arg.vt = VT_BSTR;
  }
  args[2].bstrVal = allocBstr(u"http://127.0.0.1:1/t");
  args[1].bstrVal = allocBstr(u"Sample 2");
  args[0].bstrVal = allocBstr(u"token");
  DISPPARAMS three{args, nullptr, 3, 0};
  EXPECT_EQ(control->Invoke(idOf(control, u"Params"), IID_NULL, 0, DISPATCH_METHOD, &three, nullptr,
                            nullptr, nullptr),
            S_OK);
  DISPPARAMS one{args, nullptr, 1, 0};
  EXPECT_EQ(control->Invoke(idOf(control, u"Options"), IID_NULL, 0, DISPATCH_METHOD, &one, nullptr,
                            nullptr, nullptr),
            S_OK);
  for (auto& arg : args) VariantClear(&arg);
  EXPECT_EQ(control->Invoke(idOf(control, u"Close"), IID_NULL, 0, DISPATCH_METHOD, &none, nullptr,
                            nullptr, nullptr),
            S_OK);
  control->Release();
  factory->Release();
  EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST(VersionResourceTest, TheModuleFileCarriesItsVersionFields) {
  const std::string bytes = test::readFile(PELLORA_OCX_PATH);
  const auto fields = versionFieldsFromElf(bytes);
  ASSERT_TRUE(fields.has_value());
  EXPECT_EQ(*fields, moduleVersionFields());
  EXPECT_EQ(fields->at("FileVersion"), "2.1.100.0");
  EXPECT_EQ(fields->at("FileDescription"), "WYSIWYG-Editor for Tessaron");
  EXPECT_EQ(fields->at("OriginalFilename"), "pellora.ocx");
  EXPECT_EQ(fields->at("OleSelfRegister"), "1");

  // Damaged files are refused without reading outside them.
  std::string text = bytes;
  EXPECT_FALSE(versionFieldsFromElf(text.substr(0, 40)).has_value());
  EXPECT_FALSE(versionFieldsFromElf("not an ELF file").has_value());
  std::string badOffsets = text;
  std::memset(badOffsets.data() + 0x28, 0xFF, 8);  // e_shoff far beyond the end
  EXPECT_FALSE(versionFieldsFromElf(badOffsets).has_value());
}

TEST(RegsvrTest, RegistersAndUnregistersEveryRow) {
  const test::TempDir folder;
  const std::filesystem::path& dir = folder.path();
  const std::string env = "PELLORA_REGISTRY_DIR=" + dir.string() + " ";
  ASSERT_EQ(std::system((env + PELLORA_REGSVR_PATH " " PELLORA_OCX_PATH " >/dev/null").c_str()), 0);
  auto hive = [&] { return test::readFile(dir / "HKEY_CLASSES_ROOT.reg"); };
  const std::string registered = hive();
  EXPECT_NE(registered.find("\"ThreadingModel\"=\"Apartment\""), std::string::npos);
  EXPECT_NE(registered.find("\\Verb\\0]\n@=\"Eigenschaften,0,2\""), std::string::npos);
  EXPECT_NE(registered.find("\\MiscStatus\\1]\n@=\"205201\""), std::string::npos);
  EXPECT_NE(registered.find(std::filesystem::canonical(PELLORA_OCX_PATH).string()),
            std::string::npos);

  ASSERT_EQ(std::system((env + PELLORA_REGSVR_PATH " -u " PELLORA_OCX_PATH " >/dev/null").c_str()),
            0);
  const std::string unregistered = hive();
  EXPECT_EQ(unregistered.find("{CCD2FBFF-41DA-4E94-9F66-847DD44A6B58}"), std::string::npos);
  EXPECT_EQ(unregistered.find("Pellora.axEdit"), std::string::npos);

  EXPECT_NE(std::system((env + PELLORA_REGSVR_PATH " /nonexistent.ocx 2>/dev/null").c_str()), 0);
}

}  // namespace
}  // namespace pellora
