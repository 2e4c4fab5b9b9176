// The settings on the system's registry, under Wine: the key the settings
// dialog opens, what lands in the registry, and the user's own key standing
// in where the machine's cannot be written. Every case works below a key of
// its own under HKEY_CURRENT_USER, removed afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <string>

#include "settings/registry.h"
#include "settings/system_key_win32.h"

namespace pellora::settings {
namespace {

class SystemKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_ = L"Software\\Pellora-test-" + std::to_wstring(std::random_device()());
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, scratch_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &root_, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    ::RegCloseKey(root_);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, scratch_.c_str());
  }

  // A subkey of the scratch key, opened with `access`.
  HKEY subkey(const wchar_t* name, REGSAM access) {
    HKEY key = nullptr;
    EXPECT_EQ(::RegCreateKeyExW(root_, name, 0, nullptr, 0, access, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    return key;
  }

  // The string as the registry holds it; "<missing>" when it does not.
  std::wstring stored(const wchar_t* where, const wchar_t* name) {
    wchar_t text[256] = {};
    DWORD size = sizeof text;
    const std::wstring path = std::wstring(where) + L"\\SOFTWARE\\Brixel\\Pellora";
    if (::RegGetValueW(root_, path.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS) {
      return L"<missing>";
    }
    return text;
  }

  std::wstring scratch_;
  HKEY root_ = nullptr;
};

TEST_F(SystemKeyTest, ValuesRoundTripAndLandAsTheRegistrysOwnTypes) {
  HKEY machine = subkey(L"machine", KEY_ALL_ACCESS);
  HKEY user = subkey(L"user", KEY_ALL_ACCESS);
  auto key = openSystemKey(machine, user, "SOFTWARE\\Brixel\\Pellora");
  ASSERT_TRUE(key);
  const Value values[] = {
      Value::string("Gr\xF6\xDF"
                    "e \x80"),  // Windows-1252 text
      Value::string(""),
      Value::expandString("%TEMP%\\x"),
      Value::dword(8080),
      Value::binary(std::string("\0\x01\xFF", 3)),
  };
  int index = 0;
  for (const Value& value : values) {
    const std::string name = "v" + std::to_string(++index);
    ASSERT_TRUE(key->write(name, value)) << name;
    EXPECT_EQ(key->read(name), value) << name;
  }
  EXPECT_EQ(key->read("absent"), std::nullopt);
  EXPECT_EQ(key->remove("absent"), StoreResult::Missing);
  EXPECT_EQ(key->remove("v5"), StoreResult::Done);
  EXPECT_EQ(key->read("v5"), std::nullopt);
  key.reset();
  // Text goes in as the registry's wide strings, in the machine's key.
  EXPECT_EQ(stored(L"machine", L"v1"), L"Gr\u00F6\u00DFe \u20AC");
  EXPECT_EQ(stored(L"user", L"v1"), L"<missing>");
  ::RegCloseKey(machine);
  ::RegCloseKey(user);
}

// Wine keeps no access checks on keys, so a machine key that may be read but
// not written cannot be had here; a key that is gone can be opened for
// nothing and stands for it.
TEST_F(SystemKeyTest, TheUsersKeyTakesTheWritesWhereTheMachinesCannotBeOpenedForThem) {
  HKEY gone = subkey(L"gone", KEY_ALL_ACCESS);
  ASSERT_EQ(::RegDeleteKeyW(root_, L"gone"), ERROR_SUCCESS);
  HKEY user = subkey(L"user", KEY_ALL_ACCESS);
  auto key = openSystemKey(gone, user, "SOFTWARE\\Brixel\\Pellora");
  ASSERT_TRUE(key);
  ASSERT_TRUE(key->write("Proxy", Value::string("1")));
  EXPECT_EQ(key->read("Proxy"), Value::string("1"));
  EXPECT_EQ(key->read("Language"), std::nullopt);
  key.reset();
  EXPECT_EQ(stored(L"user", L"Proxy"), L"1");
  // Without a stand-in nothing opens: reads give nothing, writes fail.
  EXPECT_EQ(openSystemKey(gone, nullptr, "SOFTWARE\\Brixel\\Pellora"), nullptr);
  ::RegCloseKey(gone);
  ::RegCloseKey(user);
}

TEST(SystemRegistryStore, TheDialogsKeyReadsAndWritesTheMachinesSettings) {
  const std::string path =
      "SOFTWARE\\Brixel\\Pellora-test-" + std::to_string(std::random_device()());
  RegistryStore store = RegistryStore::systemRegistry();
  {
    RegistryKey key(store, Hive::LocalMachine, path);
    ASSERT_TRUE(key.isOpen());
    EXPECT_EQ(key.ReadString("ProxyHost"), "");
    key.WriteString("ProxyHost", "127.0.0.1");
    key.writeDword("Zoom", 120);
    EXPECT_EQ(key.ReadString("ProxyHost"), "127.0.0.1");
    EXPECT_THROW(key.ReadString("Zoom"), ESettingsError);
  }
  // Where the machine's key took it, or the user's stood in.
  const std::wstring widePath(path.begin(), path.end());
  wchar_t text[64] = {};
  DWORD size = sizeof text;
  const bool inMachine = ::RegGetValueW(HKEY_LOCAL_MACHINE, widePath.c_str(), L"ProxyHost",
                                        RRF_RT_REG_SZ, nullptr, text, &size) == ERROR_SUCCESS;
  size = sizeof text;
  const bool inUser =
      !inMachine && ::RegGetValueW(HKEY_CURRENT_USER, widePath.c_str(), L"ProxyHost", RRF_RT_REG_SZ,
                                   nullptr, text, &size) == ERROR_SUCCESS;
  EXPECT_TRUE(inMachine || inUser);
  EXPECT_EQ(std::wstring(text), L"127.0.0.1");
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, widePath.c_str());
  ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, widePath.c_str());
  ::RegDeleteTreeW(HKEY_CURRENT_USER, widePath.c_str());
  ::RegDeleteKeyW(HKEY_CURRENT_USER, widePath.c_str());
}

}  // namespace
}  // namespace pellora::settings
