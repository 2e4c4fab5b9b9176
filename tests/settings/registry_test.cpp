#include "settings/registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "support/temp_dir.h"

namespace pellora::settings {
namespace {

using pellora::test::readFile;
using pellora::test::ScopedEnv;
using pellora::test::TempDir;
using pellora::test::writeFile;

constexpr const char* kKey = "SOFTWARE\\Brixel\\Pellora";
const std::string kTypeError = "Ung\xFCltiger Datentyp f\xFCr '";
const std::string kWriteError = "Konnte Daten f\xFCr '";

std::string writeErrorOf(RegistryKey& key, const std::string& name) {
  try {
    key.WriteString(name, "x");
  } catch (const ESettingsError& error) {
    return error.what();
  }
  return "";
}

std::set<std::string> filesIn(const std::filesystem::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

class RegistryTest : public ::testing::Test {
 protected:
  TempDir dir;
  RegistryStore store{dir.path()};
  std::filesystem::path machineFile() const { return store.hiveFile(Hive::LocalMachine); }
};

TEST_F(RegistryTest, OpeningCreatesTheKeyInTheHiveFile) {
  EXPECT_FALSE(store.keyExists(Hive::LocalMachine, kKey));
  RegistryKey key(store, Hive::LocalMachine, kKey);
  EXPECT_TRUE(key.isOpen());
  EXPECT_TRUE(store.keyExists(Hive::LocalMachine, "software\\brixel\\PELLORA"));
  EXPECT_NE(readFile(dir.path() / "HKEY_LOCAL_MACHINE.reg")
                .find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brixel\\Pellora]\n"),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(store.hiveFile(Hive::ClassesRoot)));
  EXPECT_EQ(store.lastDiagnostic(), "");
}

TEST_F(RegistryTest, EveryTypeRoundTripsThroughAnotherStore) {
  {
    RegistryKey key(store, Hive::ClassesRoot, "CLSID\\{1}");
    key.WriteString("", "Pellora \"axEdit\" \\ f\xFCr\r\n");
    key.writeExpandString("Path", "%HOME%\\lib");
    key.writeDword("Flags", 0x205201);
    key.writeBinary("Blob", std::string("\0\x81\xFF", 3));
  }
  RegistryStore other(dir.path());
  RegistryKey key(other, Hive::ClassesRoot, "clsid\\{1}");
  EXPECT_EQ(key.ReadString(""), "Pellora \"axEdit\" \\ f\xFCr\r\n");
  EXPECT_EQ(key.ReadString("PATH"), "%HOME%\\lib");
  EXPECT_EQ(key.readValue("flags"), Value::dword(0x205201));
  EXPECT_EQ(key.readValue("Blob"), Value::binary(std::string("\0\x81\xFF", 3)));
  EXPECT_EQ(key.ReadString("Missing"), "");
  EXPECT_EQ(key.readValue("Missing"), std::nullopt);
}

TEST_F(RegistryTest, StringReadStopsAtTheFirstNul) {
  RegistryKey key(store, Hive::LocalMachine, kKey);
  key.WriteString("ProxyHost", std::string("proxy\0junk", 10));
  key.writeExpandString("Other", std::string("a\0b", 3));
  EXPECT_EQ(key.ReadString("ProxyHost"), "proxy");
  EXPECT_EQ(key.ReadString("Other"), "a");
}

TEST_F(RegistryTest, ReadingAValueOfAnotherTypeFailsWithItsName) {
  RegistryKey key(store, Hive::LocalMachine, kKey);
  key.writeDword("Proxy", 1);
  key.writeBinary("Language", "DE");
  key.writeValue("Multi", Value{static_cast<ValueType>(7), std::string("a\0\0", 3)});
  for (const std::string name : {"Proxy", "Language", "Multi"}) {
    try {
      key.ReadString(name);
      ADD_FAILURE() << name << " read as a string";
    } catch (const ESettingsError& error) {
      EXPECT_EQ(error.what(), kTypeError + name + "'");
    }
  }
}

TEST_F(RegistryTest, WritesLeaveNoTemporaryFiles) {
  RegistryKey key(store, Hive::LocalMachine, kKey);
  for (int i = 0; i < 5; ++i) key.WriteString("V" + std::to_string(i), "x");
  key.deleteValue("V1");
  store.deleteKey(Hive::LocalMachine, "SOFTWARE\\Brixel");
  EXPECT_EQ(filesIn(dir.path()),
            (std::set<std::string>{"HKEY_LOCAL_MACHINE.reg", ".pellora-registry.lock"}));
}

TEST_F(RegistryTest, MissingFolderIsCreatedOnFirstWrite) {
  RegistryStore nested(dir.path() / "a" / "b");
  RegistryKey key(nested, Hive::CurrentUser, "Software");
  EXPECT_TRUE(key.isOpen());
  key.WriteString("X", "1");
  EXPECT_EQ(RegistryStore(dir.path() / "a" / "b").readValue(Hive::CurrentUser, "SOFTWARE", "x"),
            Value::string("1"));
}

TEST_F(RegistryTest, StoreThatCannotBeWrittenRefusesWithTheValueName) {
  // A folder below a regular file can never be created, whoever runs the test.
  writeFile(dir.path() / "file", "");
  RegistryStore blocked(dir.path() / "file" / "pellora");
  RegistryKey key(blocked, Hive::LocalMachine, kKey);
  EXPECT_FALSE(key.isOpen());
  EXPECT_EQ(key.ReadString("ProxyHost"), "");
  EXPECT_EQ(writeErrorOf(key, "ProxyHost"), kWriteError + "ProxyHost' nicht setzen");
  EXPECT_NE(blocked.lastDiagnostic(), "");
  EXPECT_FALSE(blocked.writeValue(Hive::LocalMachine, kKey, "X", Value::string("1")));
  EXPECT_EQ(blocked.deleteKey(Hive::LocalMachine, kKey), StoreResult::Failed);
}

TEST_F(RegistryTest, ReadOnlyFolderRefusesWritesAndKeepsTheFile) {
  {
    RegistryKey key(store, Hive::LocalMachine, kKey);
    key.WriteString("Language", "DE");
  }
  const std::string before = readFile(machineFile());
  ::chmod(dir.path().c_str(), 0555);
  const bool enforced = ::access(dir.path().c_str(), W_OK) != 0;
  if (!enforced) {
    ::chmod(dir.path().c_str(), 0755);
    GTEST_SKIP() << "file permissions are not enforced for this user";
  }
  RegistryKey key(store, Hive::LocalMachine, kKey);
  EXPECT_EQ(key.ReadString("Language"), "DE");
  EXPECT_EQ(writeErrorOf(key, "ProxyHost"), kWriteError + "ProxyHost' nicht setzen");
  RegistryKey missing(store, Hive::LocalMachine, "SOFTWARE\\Other");
  EXPECT_FALSE(missing.isOpen());
  ::chmod(dir.path().c_str(), 0755);
  EXPECT_EQ(readFile(machineFile()), before);
}

TEST_F(RegistryTest, WritingToAClosedKeyFails) {
  RegistryKey key(store, Hive::LocalMachine, kKey);
  key.close();
  EXPECT_EQ(writeErrorOf(key, "Language"), kWriteError + "Language' nicht setzen");
  EXPECT_EQ(store.readValue(Hive::LocalMachine, kKey, "Language"), std::nullopt);
}

TEST_F(RegistryTest, DamagedFileReadsAsMissingValuesAndIsKeptOnWrite) {
  const std::string damaged[] = {
      "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brixel\\Pellora]\n"
      "\"Language\"=\"D",
      "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brixel\\Pellora]\n"
      "\"Language\"=\"DE\"\n\"Proxy\"=qword:1\n",
      std::string("\xFF\xFE\x57\x00\x69\x00", 6),  // UTF-16 export
      "garbage\n",
  };
  const std::string copies[] = {".damaged", ".damaged.1", ".damaged.2", ".damaged.3"};
  for (int i = 0; i < 4; ++i) {
    const std::string& text = damaged[i];
    SCOPED_TRACE(text);
    writeFile(machineFile(), text);
    RegistryStore reader(dir.path());
    EXPECT_EQ(reader.readValue(Hive::LocalMachine, kKey, "Language"), std::nullopt);
    EXPECT_NE(reader.lastDiagnostic().find("HKEY_LOCAL_MACHINE.reg"), std::string::npos);
    {
      RegistryKey key(reader, Hive::LocalMachine, kKey);
      EXPECT_EQ(key.ReadString("Language"), "");
      key.WriteString("Language", "EN");
    }
    // Each damaged file keeps a copy of its own.
    EXPECT_EQ(readFile(dir.path() / ("HKEY_LOCAL_MACHINE.reg" + copies[i])), text);
    EXPECT_EQ(RegistryStore(dir.path()).readValue(Hive::LocalMachine, kKey, "Language"),
              Value::string("EN"));
  }
}

TEST_F(RegistryTest, HiveThatIsNotAFileReadsEmptyAndRefusesWrites) {
  std::filesystem::create_directory(machineFile());
  EXPECT_EQ(store.readValue(Hive::LocalMachine, "", ""), std::nullopt);
  EXPECT_NE(store.lastDiagnostic(), "");
  EXPECT_FALSE(store.writeValue(Hive::LocalMachine, kKey, "X", Value::string("1")));
}

TEST_F(RegistryTest, DeletingKeysAndValues) {
  RegistryKey key(store, Hive::ClassesRoot, "CLSID\\{X}\\Verb\\0");
  key.WriteString("", "Eigenschaften,0,2");
  store.writeValue(Hive::ClassesRoot, "CLSID\\{X}\\InprocServer32", "ThreadingModel",
                   Value::string("Apartment"));
  store.writeValue(Hive::ClassesRoot, "CLSID\\{Y}", "", Value::string("other"));

  EXPECT_EQ(store.deleteValue(Hive::ClassesRoot, "clsid\\{x}\\inprocserver32", "THREADINGMODEL"),
            StoreResult::Done);
  EXPECT_EQ(store.deleteValue(Hive::ClassesRoot, "CLSID\\{X}\\InprocServer32", "ThreadingModel"),
            StoreResult::Missing);
  EXPECT_TRUE(store.keyExists(Hive::ClassesRoot, "CLSID\\{X}\\InprocServer32"));

  EXPECT_EQ(store.deleteKey(Hive::ClassesRoot, "CLSID\\{x}"), StoreResult::Done);
  EXPECT_FALSE(store.keyExists(Hive::ClassesRoot, "CLSID\\{X}\\Verb\\0"));
  EXPECT_FALSE(store.keyExists(Hive::ClassesRoot, "CLSID\\{X}"));
  EXPECT_EQ(store.readValue(Hive::ClassesRoot, "CLSID\\{Y}", ""), Value::string("other"));
  EXPECT_EQ(store.subkeys(Hive::ClassesRoot, "CLSID"), std::vector<std::string>{"{Y}"});
  EXPECT_EQ(store.deleteKey(Hive::ClassesRoot, "CLSID\\{X}"), StoreResult::Missing);
}

TEST_F(RegistryTest, TwoStoresOnOneFolderKeepEachOthersWrites) {
  RegistryStore first(dir.path());
  RegistryStore second(dir.path());
  RegistryKey a(first, Hive::LocalMachine, kKey);
  RegistryKey b(second, Hive::LocalMachine, kKey);
  a.WriteString("ProxyHost", "proxy");
  b.WriteString("ProxyPort", "8080");
  a.WriteString("Proxy", "1");
  EXPECT_EQ(b.ReadString("ProxyHost"), "proxy");
  EXPECT_EQ(b.ReadString("Proxy"), "1");
  EXPECT_EQ(a.ReadString("ProxyPort"), "8080");
}

TEST_F(RegistryTest, ConcurrentWritersInTwoProcessesLoseNothing) {
  constexpr int kWrites = 40;
  pid_t children[2];
  for (int child = 0; child < 2; ++child) {
    children[child] = ::fork();
    ASSERT_GE(children[child], 0);
    if (children[child] == 0) {
      RegistryStore own(dir.path());
      bool ok = true;
      for (int i = 0; i < kWrites; ++i) {
        ok &= own.writeValue(Hive::CurrentUser, "Test",
                             "P" + std::to_string(child) + "_" + std::to_string(i),
                             Value::dword(static_cast<std::uint32_t>(i)));
      }
      ::_exit(ok ? 0 : 1);
    }
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const HiveData data = store.snapshot(Hive::CurrentUser);
  ASSERT_NE(data.findKey("Test"), nullptr);
  EXPECT_EQ(data.findKey("Test")->values.size(), 2u * kWrites);
  EXPECT_EQ(store.lastDiagnostic(), "");
}

TEST(RegistryLocationTest, FolderComesFromTheEnvironment) {
  {
    ScopedEnv dirVar("PELLORA_REGISTRY_DIR", "/tmp/reg");
    ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg");
    EXPECT_EQ(RegistryStore::directoryFromEnvironment(), "/tmp/reg");
    EXPECT_EQ(RegistryStore::forProcess().directory(), "/tmp/reg");
  }
  ScopedEnv dirVar("PELLORA_REGISTRY_DIR", std::nullopt);
  ScopedEnv home("HOME", "/home/u");
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg");
    EXPECT_EQ(RegistryStore::directoryFromEnvironment(), "/xdg/pellora");
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "relative");
    EXPECT_EQ(RegistryStore::directoryFromEnvironment(), "/home/u/.config/pellora");
  }
  ScopedEnv xdg("XDG_CONFIG_HOME", std::nullopt);
  EXPECT_EQ(RegistryStore::directoryFromEnvironment(), "/home/u/.config/pellora");
}

}  // namespace
}  // namespace pellora::settings
