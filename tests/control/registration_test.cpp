#include "control/registration.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "control/com/com_types.h"
#include "control/pellora_tlb.h"
#include "support/temp_dir.h"

namespace pellora {
namespace {

using settings::Hive;

class RegistrationTest : public ::testing::Test {
 protected:
  std::string read(const std::string& key, const std::string& name = "") {
    auto value = store().readValue(Hive::ClassesRoot, key, name);
    return value ? value->data : "<missing>";
  }
  settings::RegistryStore& store() {
    if (!store_) store_.emplace(dir);
    return *store_;
  }

  test::TempDir folder;
  const std::filesystem::path dir = folder.path() / "registry";
  std::optional<settings::RegistryStore> store_;
};

TEST_F(RegistrationTest, WritesEveryClassAndTypeLibraryRow) {
  const std::string module = "/opt/pellora/lib/pellora.ocx";
  registerServer(store(), module);
  const std::string key = "CLSID\\{CCD2FBFF-41DA-4E94-9F66-847DD44A6B58}";
  EXPECT_EQ(read(key), "Pellora Class");
  EXPECT_EQ(read(key + "\\InprocServer32"), module);
  EXPECT_EQ(read(key + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(read("Pellora.axEdit"), "Pellora Class");
  EXPECT_EQ(read("Pellora.axEdit\\Clsid"), "{CCD2FBFF-41DA-4E94-9F66-847DD44A6B58}");
  EXPECT_EQ(read(key + "\\ProgID"), "Pellora.axEdit");
  EXPECT_EQ(read(key + "\\TypeLib"), "{C619D43B-7393-411C-947F-ED62DBB75AA0}");
  EXPECT_EQ(read(key + "\\Version"), "2.0");
  EXPECT_EQ(read(key + "\\MiscStatus"), "0");
  EXPECT_EQ(read(key + "\\MiscStatus\\1"), "205201");
  EXPECT_EQ(read(key + "\\ToolboxBitmap32"), module + ",1");
  EXPECT_EQ(read(key + "\\Control"), "");
  EXPECT_EQ(read(key + "\\Verb"), "");
  EXPECT_EQ(read(key + "\\Verb\\0"), "Eigenschaften,0,2");
  EXPECT_EQ(read("TypeLib\\{C619D43B-7393-411C-947F-ED62DBB75AA0}\\2.0"), "Pellora Control 2.0");
  EXPECT_EQ(read("TypeLib\\{C619D43B-7393-411C-947F-ED62DBB75AA0}\\2.0\\0\\win32"), module);
  EXPECT_EQ(read("Interface\\{EFBCCB38-1312-4353-8813-2BA1F71F8DFF}"), "IPellora");
}

TEST_F(RegistrationTest, UnregisterRemovesEveryRowAndToleratesMissingKeys) {
  registerServer(store(), "/m.ocx");
  unregisterServer(store());
  for (const auto& row : classRows("/m.ocx")) {
    EXPECT_FALSE(store().keyExists(Hive::ClassesRoot, row.key)) << row.key;
  }
  for (const auto& row : typeLibraryRows("/m.ocx")) {
    EXPECT_FALSE(store().keyExists(Hive::ClassesRoot, row.key)) << row.key;
  }
  EXPECT_NO_THROW(unregisterServer(store()));
}

TEST_F(RegistrationTest, UnwritableStoreFails) {
  // A file where the folder should be: nothing can be written.
  test::writeFile(dir, "not a folder");
  EXPECT_THROW(registerServer(store(), "/m.ocx"), settings::ESettingsError);
}

TEST(GuidTest, TextFormRoundTripsAndRejectsMalformedInput) {
  com::GUID parsed{};
  ASSERT_TRUE(com::guidFromString("{c619d43b-7393-411c-947f-ed62dbb75aa0}", parsed));
  EXPECT_EQ(parsed, LIBID_Pellora);
  EXPECT_EQ(com::guidToString(parsed), "{C619D43B-7393-411C-947F-ED62DBB75AA0}");
  for (const char* bad :
       {"", "{C619D43B-7393-411C-947F-ED62DBB75AA}", "C619D43B-7393-411C-947F-ED62DBB75AA0",
        "{G619D43B-7393-411C-947F-ED62DBB75AA0}", "{C619D43B_7393-411C-947F-ED62DBB75AA0}"}) {
    EXPECT_FALSE(com::guidFromString(bad, parsed)) << bad;
  }
}

}  // namespace
}  // namespace pellora
