// The settings store against hive files it must not spoil: files it cannot
// read, damaged files met more than once, files with their own mode or behind
// links, and values the reader would refuse.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <set>

#include "settings/lang.h"
#include "settings/options.h"
#include "settings/other_forms.h"
#include "settings/registry.h"
#include "settings/unreadable_file.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace pellora::settings {
namespace {

namespace fs = std::filesystem;

using pellora::test::readFile;
using pellora::test::TempDir;
using pellora::test::UnreadableFile;
using pellora::test::writeFile;

constexpr const char* kKey = "SOFTWARE\\Brixel\\Pellora";
const std::string kWriteError = "Konnte Daten f\xFCr '";
const std::string kStored =
    "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brixel\\Pellora]\n"
    "\"ProxyHost\"=\"proxy.local\"\n\"Language\"=\"DE\"\n\n";
const std::string kReport = "pellora: settings file";

std::string writeErrorOf(RegistryKey& key, const std::string& name, const std::string& value) {
  try {
    key.WriteString(name, value);
  } catch (const ESettingsError& error) {
    return error.what();
  }
  return "";
}

// The names in a folder but the store's lock file.
std::set<std::string> filesIn(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    names.insert(entry.path().filename().string());
  }
  names.erase(".pellora-registry.lock");
  return names;
}

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// What lstat sees of a path, and where a link points.
std::string shapeOf(const fs::path& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return "missing";
  std::string shape = std::to_string(info.st_mode) + " " + std::to_string(info.st_size) + " " +
                      std::to_string(info.st_uid) + " " + std::to_string(info.st_mtim.tv_nsec);
  if (S_ISLNK(info.st_mode)) shape += " -> " + fs::read_symlink(path).string();
  return shape;
}

unsigned modeOf(const fs::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : ~0u;
}

struct Unreadable {
  const char* what;
  // Puts something the store cannot read at `hive`; returns the guard that
  // keeps it unreadable, if one is needed.
  std::function<std::unique_ptr<UnreadableFile>(const fs::path& hive)> make;
  bool holdsStoredText;  // `hive` (or its link target) is a file holding kStored
};

const Unreadable kUnreadable[] = {
    {"a folder in its place",
     [](const fs::path& hive) {
       fs::create_directory(hive);
       return nullptr;
     },
     false},
    {"a named pipe",
     [](const fs::path& hive) {
       ::mkfifo(hive.c_str(), 0644);
       return nullptr;
     },
     false},
    {"a link to itself",
     [](const fs::path& hive) {
       fs::create_symlink(hive.filename(), hive);
       return nullptr;
     },
     false},
    {"a file without read permission",
     [](const fs::path& hive) {
       writeFile(hive, kStored);
       return std::make_unique<UnreadableFile>(hive);
     },
     true},
    {"a link to a file without read permission",
     [](const fs::path& hive) {
       const fs::path target = hive.parent_path() / "elsewhere.reg";
       writeFile(target, kStored);
       fs::create_symlink(target.filename(), hive);
       return std::make_unique<UnreadableFile>(target);
     },
     true},
};

TEST(UnreadableHiveTest, IsReadAsDefaultsReportedOnceAndNeverWritten) {
  TempDir dir;
  int row = 0;
  for (const Unreadable& kind : kUnreadable) {
    SCOPED_TRACE(kind.what);
    const fs::path folder = dir.path() / std::to_string(row++);
    fs::create_directory(folder);
    RegistryStore store(folder);
    const fs::path hive = store.hiveFile(Hive::LocalMachine);
    {
      const auto guard = kind.make(hive);
      if (guard && !guard->unreadable()) {
        std::cout << "[ SKIPPED  ] " << kind.what << ": this process reads it all the same\n";
        continue;
      }
      const std::set<std::string> files = filesIn(folder);
      const std::string shape = shapeOf(hive);
      ::testing::internal::CaptureStderr();
      {
        // What creating the settings dialog and pressing OK do.
        RegistryKey key(store, Hive::LocalMachine, kKey);
        EXPECT_FALSE(key.isOpen());
        EXPECT_EQ(key.ReadString("Language"), "");
        EXPECT_EQ(writeErrorOf(key, "ProxyHost", "other"), kWriteError + "ProxyHost' nicht setzen");
      }
      EXPECT_EQ(store.readValue(Hive::LocalMachine, kKey, "Language"), std::nullopt);
      EXPECT_FALSE(store.writeValue(Hive::LocalMachine, kKey, "Language", Value::string("EN")));
      EXPECT_EQ(store.deleteKey(Hive::LocalMachine, "SOFTWARE"), StoreResult::Failed);
      EXPECT_EQ(store.deleteValue(Hive::LocalMachine, kKey, "Language"), StoreResult::Failed);
      const std::string reports = ::testing::internal::GetCapturedStderr();
      EXPECT_EQ(count(reports, kReport), 1u) << reports;
      EXPECT_NE(reports.find(hive.filename().string()), std::string::npos) << reports;
      EXPECT_NE(store.lastDiagnostic(), "");
      EXPECT_EQ(shapeOf(hive), shape);
      EXPECT_EQ(filesIn(folder), files) << "no copies, no temporary files";
    }
    if (kind.holdsStoredText) {
      EXPECT_EQ(readFile(hive), kStored);
    }
  }
}

TEST(UnreadableHiveTest, EditorStartKeepsTheFileAndOkReportsTheFirstWrite) {
  resetLanguageCodeForTesting();
  TempDir dir;
  test::ScopedFakePlatform platform;
  test::OtherForms forms;
  const fs::path hive = RegistryStore(dir.path()).hiveFile(Hive::LocalMachine);
  writeFile(hive, kStored);
  {
    UnreadableFile guard(hive);
    if (!guard.unreadable()) GTEST_SKIP() << "this process reads every file";
    TOptionsForm form(RegistryStore(dir.path()), forms.forOptions());
    EXPECT_TRUE(platform.platform.boxes.shown.empty()) << "defaults, without a box";
    EXPECT_EQ(form.edProxy.text(), "");
    EXPECT_TRUE(form.rbEN.checked());
    EXPECT_EQ(LanguageCode(), "");
    platform.platform.modalPresenter.scripts["OptionsForm"] = [&form](ui::Form&) {
      form.Button1.click();
      return form.modalResult();
    };
    EXPECT_EQ(platform.platform.modal().showModal(form), ui::mrOk);
    ASSERT_EQ(platform.platform.boxes.shown.size(), 1u);
    EXPECT_EQ(platform.platform.boxes.shown[0].kind, ui::MessageKind::Error);
    EXPECT_EQ(platform.platform.boxes.shown[0].text, kWriteError + "ProxyHost' nicht setzen");
  }
  EXPECT_EQ(readFile(hive), kStored);
  EXPECT_EQ(modeOf(hive), 0u);
  resetLanguageCodeForTesting();
}

TEST(DamagedHiveTest, EveryDamagedFileIsKeptUnderItsOwnName) {
  TempDir dir;
  RegistryStore store(dir.path());
  const fs::path hive = store.hiveFile(Hive::LocalMachine);
  // Copies left by earlier runs, with a gap in the numbering.
  writeFile(dir.path() / "HKEY_LOCAL_MACHINE.reg.damaged", "first");
  writeFile(dir.path() / "HKEY_LOCAL_MACHINE.reg.damaged.2", "third");
  const std::string damaged[] = {"garbage 1\n", "garbage 2\n", "garbage 3\n"};
  for (const std::string& text : damaged) {
    writeFile(hive, text);
    RegistryKey key(store, Hive::LocalMachine, kKey);
    key.WriteString("Language", "EN");
  }
  EXPECT_EQ(readFile(dir.path() / "HKEY_LOCAL_MACHINE.reg.damaged"), "first");
  EXPECT_EQ(readFile(dir.path() / "HKEY_LOCAL_MACHINE.reg.damaged.1"), damaged[0]);
  EXPECT_EQ(readFile(dir.path() / "HKEY_LOCAL_MACHINE.reg.damaged.2"), "third");
  EXPECT_EQ(readFile(dir.path() / "HKEY_LOCAL_MACHINE.reg.damaged.3"), damaged[1]);
  EXPECT_EQ(readFile(dir.path() / "HKEY_LOCAL_MACHINE.reg.damaged.4"), damaged[2]);
  EXPECT_EQ(RegistryStore(dir.path()).readValue(Hive::LocalMachine, kKey, "Language"),
            Value::string("EN"));
}

TEST(DamagedHiveTest, DamagedFileBehindALinkIsKeptBesideItsTarget) {
  TempDir dir;
  fs::create_directory(dir.path() / "real");
  fs::create_directory(dir.path() / "store");
  RegistryStore store(dir.path() / "store");
  const fs::path hive = store.hiveFile(Hive::LocalMachine);
  const fs::path target = dir.path() / "real" / "machine.reg";
  writeFile(target, "garbage\n");
  fs::create_symlink(target, hive);
  RegistryKey key(store, Hive::LocalMachine, kKey);
  key.WriteString("Language", "EN");
  EXPECT_TRUE(fs::is_symlink(hive));
  EXPECT_EQ(readFile(dir.path() / "real" / "machine.reg.damaged"), "garbage\n");
  EXPECT_EQ(RegistryStore(dir.path() / "store").readValue(Hive::LocalMachine, kKey, "Language"),
            Value::string("EN"));
}

// Where the hive file is, seen from the store's folder, and where its bytes
// really live.
struct Placement {
  const char* what;
  std::function<fs::path(const fs::path& hive)> place;  // returns the real file
};

const Placement kPlacements[] = {
    {"a plain file", [](const fs::path& hive) { return hive; }},
    {"a relative link",
     [](const fs::path& hive) {
       fs::create_directory(hive.parent_path() / "real");
       fs::create_symlink(fs::path("real") / "machine.reg", hive);
       return hive.parent_path() / "real" / "machine.reg";
     }},
    {"a chain of two links, the second absolute",
     [](const fs::path& hive) {
       const fs::path real = hive.parent_path().parent_path() / "elsewhere.reg";
       fs::create_symlink(real, hive.parent_path() / "middle.reg");
       fs::create_symlink("middle.reg", hive);
       return real;
     }},
};

TEST(HiveFileKeepsItsShapeTest, WritesKeepTheModeAndGoThroughLinks) {
  TempDir dir;
  int row = 0;
  for (const Placement& placement : kPlacements) {
    for (const unsigned mode : {0444u, 0600u, 0640u, 0664u}) {
      char octal[8];
      std::snprintf(octal, sizeof octal, "%o", mode);
      SCOPED_TRACE(std::string(placement.what) + ", mode " + octal);
      const fs::path base = dir.path() / std::to_string(row++);
      fs::create_directories(base / "store");
      RegistryStore store(base / "store");
      const fs::path hive = store.hiveFile(Hive::LocalMachine);
      const fs::path real = placement.place(hive);
      writeFile(real, kStored);
      ::chmod(real.c_str(), mode);
      const bool wasLink = fs::is_symlink(hive);
      const fs::path linkTarget = wasLink ? fs::read_symlink(hive) : fs::path();

      ASSERT_TRUE(store.writeValue(Hive::LocalMachine, kKey, "Language", Value::string("EN")));
      ASSERT_EQ(store.deleteValue(Hive::LocalMachine, kKey, "ProxyHost"), StoreResult::Done);

      EXPECT_EQ(fs::is_symlink(hive), wasLink);
      if (wasLink) {
        EXPECT_EQ(fs::read_symlink(hive), linkTarget);
      }
      EXPECT_EQ(modeOf(real), mode);
      const std::string now = readFile(real);
      EXPECT_NE(now.find("\"Language\"=\"EN\""), std::string::npos) << now;
      EXPECT_EQ(now.find("ProxyHost"), std::string::npos) << now;
      EXPECT_EQ(store.lastDiagnostic(), "");
      for (const fs::path& folder : {hive.parent_path(), real.parent_path()}) {
        for (const std::string& name : filesIn(folder)) {
          EXPECT_FALSE(name.starts_with(".")) << "temporary file left: " << name;
        }
      }
    }
  }
}

TEST(HiveFileKeepsItsShapeTest, LinkToAMissingFileIsWrittenThroughAndStaysALink) {
  TempDir dir;
  RegistryStore store(dir.path());
  const fs::path hive = store.hiveFile(Hive::LocalMachine);
  fs::create_symlink("shared.reg", hive);
  RegistryKey key(store, Hive::LocalMachine, kKey);
  key.WriteString("Language", "DE");
  EXPECT_TRUE(fs::is_symlink(hive));
  EXPECT_NE(readFile(dir.path() / "shared.reg").find("\"Language\"=\"DE\""), std::string::npos);
}

TEST(HiveFileKeepsItsShapeTest, OwnerIsKeptWhenTheWriterMayKeepIt) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root may give a file to another user";
  TempDir dir;
  RegistryStore store(dir.path());
  const fs::path hive = store.hiveFile(Hive::LocalMachine);
  writeFile(hive, kStored);
  ASSERT_EQ(::chown(hive.c_str(), 65534, 65534), 0);
  ::chmod(hive.c_str(), 0640);
  ASSERT_TRUE(store.writeValue(Hive::LocalMachine, kKey, "Language", Value::string("EN")));
  struct stat info {};
  ASSERT_EQ(::stat(hive.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 65534u);
  EXPECT_EQ(info.st_gid, 65534u);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(ValueSizeTest, WriterRefusesWhatTheReaderCannotReadAndKeepsTheFile) {
  TempDir dir;
  RegistryStore store(dir.path());
  const fs::path hive = store.hiveFile(Hive::LocalMachine);
  RegistryKey key(store, Hive::LocalMachine, kKey);
  key.WriteString("Language", "DE");
  key.WriteString("Big", "x");
  // The file around the value "Big", measured rather than assumed.
  const std::size_t around = fs::file_size(hive) - 1;
  const std::size_t largest = kMaxRegFileSize - around;

  key.WriteString("Big", std::string(largest, 'x'));
  EXPECT_EQ(fs::file_size(hive), kMaxRegFileSize);
  // (Compared as a whole: 16 MiB in a failure message helps nobody.)
  EXPECT_TRUE(RegistryStore(dir.path()).readValue(Hive::LocalMachine, kKey, "Big") ==
              Value::string(std::string(largest, 'x')));
  key.WriteString("Big", "x");
  const std::string before = readFile(hive);

  struct TooLarge {
    const char* what;
    std::function<void()> write;
  };
  const TooLarge cases[] = {
      {"one byte over the file limit",
       [&] { key.WriteString("Big", std::string(largest + 1, 'x')); }},
      {"a string as long as the file limit",
       [&] { key.WriteString("Big", std::string(kMaxRegFileSize, 'y')); }},
      // Written as hex pairs: three bytes of file for each byte of value.
      {"binary data of a third of the limit",
       [&] { key.writeBinary("Big", std::string(kMaxRegFileSize / 3 + 1, '\x01')); }},
      {"text that needs the UTF-16 form",
       [&] { key.WriteString("Big", std::string(kMaxRegFileSize / 6, '\n')); }},
  };
  for (const TooLarge& tooLarge : cases) {
    SCOPED_TRACE(tooLarge.what);
    try {
      tooLarge.write();
      ADD_FAILURE() << "written";
    } catch (const ESettingsError& error) {
      EXPECT_EQ(error.what(), kWriteError + "Big' nicht setzen");
    }
    EXPECT_NE(store.lastDiagnostic(), "");
    EXPECT_TRUE(readFile(hive) == before) << "the file changed";
  }
  EXPECT_EQ(RegistryStore(dir.path()).readValue(Hive::LocalMachine, kKey, "Language"),
            Value::string("DE"));
}

}  // namespace
}  // namespace pellora::settings
