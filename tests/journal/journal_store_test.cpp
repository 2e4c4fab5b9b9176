// The draft folder on real files: atomic replacement at mode 0600, reads,
// putting aside, and pruning by age.
#include "journal/journal_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>

#include "support/temp_dir.h"

namespace pellora::journal {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::readFile;
using test::writeFile;

mode_t modeOf(const fs::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return 0;
  return info.st_mode & 07777;
}

void setAge(const fs::path& file, JournalStore::Clock::time_point when) {
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
  const timeval times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(::utimes(file.c_str(), times), 0);
}

std::vector<std::string> listing(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

class JournalStoreTest : public ::testing::Test {
 protected:
  test::TempDir temp;
  const fs::path folder = temp.path() / "state" / "pellora" / "journal";
  JournalStore store{folder};
};

TEST_F(JournalStoreTest, WritesPrivatelyAndReplacesWhole) {
  store.write("a.draft", "first");
  EXPECT_EQ(modeOf(folder / "a.draft"), 0600u);
  EXPECT_EQ(modeOf(folder), 0700u) << "the folders it made are private";
  EXPECT_EQ(modeOf(folder.parent_path()), 0700u);
  ::chmod((folder / "a.draft").c_str(), 0644);
  store.write("a.draft", std::string(100000, 'x'));
  EXPECT_EQ(modeOf(folder / "a.draft"), 0600u) << "a replacement is private again";
  EXPECT_EQ(store.read("a.draft"), std::string(100000, 'x'));
  EXPECT_EQ(listing(folder), std::vector<std::string>{"a.draft"}) << "no temporary file left";
}

TEST_F(JournalStoreTest, ReadsMissingAsNothingAndRemoves) {
  EXPECT_EQ(store.read("none.draft"), std::nullopt) << "not even the folder exists";
  store.write("a.draft", "x");
  EXPECT_TRUE(store.remove("a.draft"));
  EXPECT_FALSE(store.remove("a.draft"));
  EXPECT_EQ(store.read("a.draft"), std::nullopt);
}

TEST_F(JournalStoreTest, AFailedWriteLeavesTheOldDraftAndNoTemporaryFile) {
  store.write("a.draft", "old");
  fs::create_directory(folder / "b.draft");  // a folder cannot be replaced by a file
  EXPECT_THROW(store.write("b.draft", "new"), std::runtime_error);
  EXPECT_EQ(store.read("a.draft"), "old");
  EXPECT_EQ(listing(folder), (std::vector<std::string>{"a.draft", "b.draft"}));
}

TEST_F(JournalStoreTest, PuttingAsideKeepsTheBytesUnderAFreeName) {
  const auto now = JournalStore::Clock::from_time_t(1765100000);
  store.write("a.draft", "damaged 1");
  const fs::path first = store.setAside("a.draft", now);
  store.write("a.draft", "damaged 2");
  const fs::path second = store.setAside("a.draft", now);
  EXPECT_EQ(first, folder / "a.draft.unreadable-1765100000");
  EXPECT_EQ(second, folder / "a.draft.unreadable-1765100000.1");
  EXPECT_EQ(readFile(first), "damaged 1");
  EXPECT_EQ(readFile(second), "damaged 2");
  EXPECT_EQ(store.read("a.draft"), std::nullopt);
}

TEST_F(JournalStoreTest, PrunesOnlyOldDraftsAndStaleTemporaryFiles) {
  const auto now = JournalStore::Clock::from_time_t(1765100000);
  struct File {
    const char* name;
    std::chrono::hours age;
    bool kept;
  } files[] = {
      {"fresh.draft", 0h, true},
      {"month.draft", 24h * 30 - 1h, true},
      {"old.draft", 24h * 30 + 1h, false},
      {"old.draft.unreadable-1", 24h * 365, true},  // never silently deleted
      {"other.txt", 24h * 365, true},               // not ours
      {"x.draft.tmp-AbCdEf", 2h, false},            // left by a killed writer
      {"y.draft.tmp-AbCdEf", 0h, true},             // maybe being written right now
      {"0123456789abcdef.lock", 2h, false},         // an owner killed long ago
  };
  fs::create_directories(folder);
  fs::permissions(folder, fs::perms::owner_all);
  for (const File& file : files) {
    writeFile(folder / file.name, "x");
    setAge(folder / file.name, now - file.age);
  }
  EXPECT_EQ(store.prune(now, 24h * 30), 1);
  for (const File& file : files) EXPECT_EQ(fs::exists(folder / file.name), file.kept) << file.name;
}

TEST(JournalStoreFolderTest, FollowsXdgStateHome) {
  {
    test::ScopedEnv state("XDG_STATE_HOME", "/x/state");
    EXPECT_EQ(JournalStore::defaultFolder(), "/x/state/pellora/journal");
  }
  test::ScopedEnv home("HOME", "/home/u");
  for (const char* unusable : {"", "relative/state"}) {
    test::ScopedEnv state("XDG_STATE_HOME", unusable);
    EXPECT_EQ(JournalStore::defaultFolder(), "/home/u/.local/state/pellora/journal") << unusable;
  }
  test::ScopedEnv state("XDG_STATE_HOME", std::nullopt);
  EXPECT_EQ(JournalStore::defaultFolder(), "/home/u/.local/state/pellora/journal");
}

}  // namespace
}  // namespace pellora::journal
