// The draft folder on real files: atomic replacement at mode 0600, reads,
// putting aside, and pruning by age.
#include "journal/journal_store.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include "journal/draft_file.h"
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

// Files put into the folder by someone else: each is refused without
// reading more than its header, and nothing outside the folder is read.
TEST_F(JournalStoreTest, TamperedDraftsAreRefusedBeforeTheirBodyIsRead) {
  const Draft draft{{"http://a/t", "Sample 1"}, 1765100000, "<p>x</p>"};
  const std::string good = encodeDraft(draft);
  store.write("good.draft", good);
  writeFile(temp.path() / "planted", good);
  const auto sized = [&](const char* name, const std::string& start, std::uint64_t size) {
    writeFile(folder / name, start);
    ASSERT_EQ(::truncate((folder / name).c_str(), static_cast<off_t>(size)), 0);
  };
  // A header claiming a body of 1 GiB, in a file of that size: too large.
  const std::uint64_t huge = std::uint64_t{1} << 30;
  std::string hugeHeader = good.substr(0, good.find("length: ")) +
                           "length: " + std::to_string(huge) + good.substr(good.find("\nchecksum"));
  hugeHeader.resize(hugeHeader.size() - draft.body.size());
  sized("huge.draft", hugeHeader, huge);
  // A good header, then far more bytes than it says.
  sized("longer.draft", good, JournalStore::kMaxDraftBytes / 2);
  sized("no-header.draft", "", JournalStore::kMaxDraftBytes / 2);
  ASSERT_EQ(::symlink((temp.path() / "planted").c_str(), (folder / "link.draft").c_str()), 0);
  ASSERT_EQ(::mkfifo((folder / "pipe.draft").c_str(), 0600), 0);

  rusage before{};
  ::getrusage(RUSAGE_SELF, &before);
  for (const char* name :
       {"huge.draft", "longer.draft", "no-header.draft", "link.draft", "pipe.draft"}) {
    EXPECT_THROW(store.readDraft(name), DraftFormatError) << name;
  }
  rusage after{};
  ::getrusage(RUSAGE_SELF, &after);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 16 * 1024) << "kilobytes more at the peak";
  EXPECT_EQ(store.readDraft("good.draft"), draft);
  EXPECT_EQ(store.readDraft("none.draft"), std::nullopt);
}

TEST_F(JournalStoreTest, OnlyAPrivateFolderOfTheUsersOwnIsUsed) {
  const struct {
    fs::perms mode;
    bool used;
  } rows[] = {
      {fs::perms::owner_all, true},
      {fs::perms::all, false},
      {fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec, false},
      {fs::perms::owner_all | fs::perms::others_exec, false},
  };
  fs::create_directories(folder);
  for (const auto& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.mode));
    fs::permissions(folder, row.mode);
    if (row.used) {
      EXPECT_NO_THROW(store.checkFolder());
      EXPECT_NO_THROW(store.write("a.draft", "x"));
    } else {
      EXPECT_THROW(store.checkFolder(), JournalFolderError);
      EXPECT_THROW(store.write("a.draft", "x"), JournalFolderError);
      EXPECT_THROW(store.claimOwner(JournalStore::newOwner()), JournalFolderError);
    }
  }
  // A link in the folder's place is no folder of the user's.
  fs::remove_all(folder);
  fs::create_directory(temp.path() / "elsewhere", folder.parent_path());
  fs::permissions(temp.path() / "elsewhere", fs::perms::owner_all);
  fs::create_directory_symlink(temp.path() / "elsewhere", folder);
  EXPECT_THROW(store.checkFolder(), JournalFolderError);
}

TEST_F(JournalStoreTest, AnOwnerRunsWhileItHoldsItsMark) {
  const std::string owner = JournalStore::newOwner();
  EXPECT_NE(owner, JournalStore::newOwner());
  JournalStore other{folder};
  EXPECT_FALSE(other.ownerRuns(owner)) << "never started";
  {
    const std::unique_ptr<OwnerMark> mark = store.claimOwner(owner);
    EXPECT_TRUE(other.ownerRuns(owner)) << "even within one process";
    EXPECT_THROW(other.claimOwner(owner), std::runtime_error) << "one mark per owner";
  }
  EXPECT_FALSE(other.ownerRuns(owner));
  EXPECT_EQ(listing(folder), std::vector<std::string>{}) << "the mark leaves no file";
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
