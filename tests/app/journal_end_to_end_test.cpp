// A draft survives a crash: the host edits an item, is killed with SIGKILL
// while a request hangs, and a new host restores the draft and saves it; a
// second host on the same item meanwhile leaves the first one's draft alone.
// The installation is a scripted server on loopback, so every host sees the
// same address and the first one can be held in the middle of a load.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "content/url_encode.h"
#include "journal/draft_file.h"
#include "support/http_test_server.h"
#include "support/temp_dir.h"

extern char** environ;

namespace pellora {
namespace {

namespace fs = std::filesystem;
using test::readRequest;
using test::sendBytes;

std::string answer(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

class JournalEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display (scripts/test runs xvfb-run)";
    fs::create_directories(dir / "registry");
    fs::create_directories(journal);
    fs::permissions(journal, fs::perms::owner_all);
  }

  enum class Display { Yes, No };
  // Starts the host with `args`, its output going to `log`.
  pid_t start(const std::vector<std::string>& args, const fs::path& log,
              Display display = Display::Yes) {
    std::vector<std::string> env = {
        "PELLORA_REGISTRY_DIR=" + (dir / "registry").string(),
        "XDG_STATE_HOME=" + (dir / "state").string(),
        "WEBKIT_DISABLE_COMPOSITING_MODE=1",
        "WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS=1",
    };
    for (char** e = environ; *e; ++e) {
      const std::string entry = *e;
      if ((display == Display::Yes &&
           (entry.rfind("DISPLAY=", 0) == 0 || entry.rfind("XAUTHORITY=", 0) == 0)) ||
          entry.rfind("HOME=", 0) == 0 || entry.rfind("PATH=", 0) == 0 ||
          entry.rfind("ASAN_OPTIONS=", 0) == 0) {
        env.push_back(entry);
      }
    }
    std::vector<std::string> argv = {PELLORA_HOST_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> rawArgs, rawEnv;
    for (auto& a : argv) rawArgs.push_back(a.data());
    rawArgs.push_back(nullptr);
    for (auto& e : env) rawEnv.push_back(e.data());
    rawEnv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = -1;
    const int failed =
        ::posix_spawn(&pid, PELLORA_HOST_PATH, &actions, nullptr, rawArgs.data(), rawEnv.data());
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
  }

  // The drafts of `key` in the journal folder.
  std::vector<fs::path> drafts(const journal::DraftKey& key) const {
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::directory_iterator entries(journal, error), end; !error && entries != end;
         entries.increment(error)) {
      if (journal::draftFileOwner(key, entries->path().filename().string())) {
        found.push_back(entries->path());
      }
    }
    return found;
  }

  // Waits (at most a minute) until a draft of `key` is renamed into the
  // journal folder, how the store puts every draft in place; its path.
  std::optional<fs::path> awaitDraft(const journal::DraftKey& key) {
    const int watch = ::inotify_init1(IN_CLOEXEC);
    if (watch < 0) return std::nullopt;
    ::inotify_add_watch(watch, journal.c_str(), IN_MOVED_TO);
    std::vector<fs::path> there = drafts(key);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (there.empty() && std::chrono::steady_clock::now() < deadline) {
      pollfd p{watch, POLLIN, 0};
      if (::poll(&p, 1, 1000) > 0) {
        char events[4096];
        [[maybe_unused]] ssize_t n = ::read(watch, events, sizeof events);
      }
      there = drafts(key);
    }
    ::close(watch);
    if (there.size() != 1) return std::nullopt;
    return there[0];
  }

  // Waits (at most a minute) until `gate` opens.
  static bool awaitGate(test::Gate& gate) {
    std::atomic<bool> late{false};
    std::jthread deadline([&late](std::stop_token stop) {
      std::mutex mutex;
      std::condition_variable_any wake;
      std::unique_lock lock(mutex);
      wake.wait_for(lock, stop, std::chrono::minutes(1), [] { return false; });
      late = true;
    });
    return gate.wait(late);
  }

  // Runs the host to its end; its exit status and output.
  std::pair<int, std::string> run(const std::vector<std::string>& args, const fs::path& log,
                                  Display display = Display::Yes) {
    const pid_t pid = start(args, log, display);
    int status = -1;
    if (pid > 0) ::waitpid(pid, &status, 0);
    return {status, test::readFile(log)};
  }

  test::TempDir temp;
  const fs::path dir = temp.path();
  const fs::path journal = dir / "state" / "pellora" / "journal";
};

TEST_F(JournalEndToEndTest, ADraftSurvivesSigkillAndIsRestoredAndSaved) {
  const std::string item = "<p>Hallo Welt</p>";
  test::Gate loadHangs, release;
  test::ScriptedServer server({
      // first host: the item, then a load that never gets an answer
      {readRequest(), sendBytes(answer(item)), test::closeConnection()},
      {readRequest(), test::openGate(loadHangs), test::awaitGate(release), test::closeConnection()},
      // second host: the item, then the save
      {readRequest(), sendBytes(answer(item)), test::closeConnection()},
      {readRequest(), sendBytes(answer("OK")), test::closeConnection()},
  });
  const std::string url = server.url("/t");
  const journal::DraftKey key{url, "Sample 1"};

  // The edit uses the tool bar (a selection made bold), then a second load
  // holds the host while the draft is written.
  test::writeFile(dir / "edit.txt", "select Welt\nclick btnBold\nLoad\n");
  const pid_t first = start({"--url", url, "--content", "Sample 1", "--auth", "tok", "--script",
                             (dir / "edit.txt").string()},
                            dir / "first.log");
  ASSERT_GT(first, 0);
  const std::optional<fs::path> draft = awaitDraft(key);
  ::kill(first, SIGKILL);
  int status = 0;
  ::waitpid(first, &status, 0);
  release.open();
  SCOPED_TRACE(test::readFile(dir / "first.log"));
  ASSERT_TRUE(draft) << "no draft while the host waited";
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  EXPECT_TRUE(loadHangs.isOpen());
  const journal::Draft kept = journal::decodeDraft(test::readFile(*draft));
  EXPECT_NE(kept.body.find("<b>Welt</b>"), std::string::npos) << kept.body;

  // A new host loads the item, is offered the draft in the interface
  // language, takes it and saves.
  test::writeFile(dir / "restore.txt", "answer Restore\nParams \"" + url +
                                           "\" \"Sample 1\" tok\nLoad\nwait\nwait\nSave\n");
  const pid_t second = start({"--script", (dir / "restore.txt").string()}, dir / "second.log");
  ASSERT_GT(second, 0);
  ::waitpid(second, &status, 0);
  const std::string output = test::readFile(dir / "second.log");
  SCOPED_TRACE(output);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_NE(output.find("  [MessageBox] Restore Draft\n  | There is a draft of \"Sample 1\""),
            std::string::npos)
      << "the draft was offered";
  EXPECT_NE(output.find("  buttons: Restore | Discard | Decide Later\n  answered Restore\n"),
            std::string::npos);
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_NE(requests[3].find("POST /t/edit.php"), std::string::npos);
  EXPECT_NE(requests[3].find("htmlsource=" + content::UrlEncode(kept.body) + "&"),
            std::string::npos)
      << "the save stores the draft";
  EXPECT_FALSE(fs::exists(*draft)) << "the acknowledged save removed the draft";
}

TEST_F(JournalEndToEndTest, ASecondHostOnTheItemLeavesTheFirstOnesDraftForAfterItsCrash) {
  const std::string item = "<p>Hallo Welt</p>";
  // The first host is held in a load from another installation, which
  // never answers, so this one serves the other hosts meanwhile.
  test::Gate loadHangs, release;
  test::ScriptedServer elsewhere({
      {readRequest(), test::openGate(loadHangs), test::awaitGate(release), test::closeConnection()},
  });
  test::ScriptedServer server({
      // first host: the item
      {readRequest(), sendBytes(answer(item)), test::closeConnection()},
      // second host, while the first runs: the item
      {readRequest(), sendBytes(answer(item)), test::closeConnection()},
      // third host, after the first was killed: the item, then the save
      {readRequest(), sendBytes(answer(item)), test::closeConnection()},
      {readRequest(), sendBytes(answer("OK")), test::closeConnection()},
  });
  const std::string url = server.url("/t");
  const journal::DraftKey key{url, "Sample 1"};
  const std::vector<std::string> params = {"--url",  url,   "--content", "Sample 1",
                                           "--auth", "tok", "--script"};
  const auto withScript = [&](const std::string& name, const std::string& steps) {
    test::writeFile(dir / name, steps);
    std::vector<std::string> args = params;
    args.push_back((dir / name).string());
    return args;
  };

  const pid_t first =
      start(withScript("edit.txt", "select Welt\nclick btnBold\nParams \"" + elsewhere.url("/t") +
                                       "\" \"Sample 2\" tok\nLoad\n"),
            dir / "first.log");
  ASSERT_GT(first, 0);
  const std::optional<fs::path> draft = awaitDraft(key);
  const bool held = awaitGate(loadHangs);
  const std::string written = draft ? test::readFile(*draft) : std::string();

  // The second host loads the item and closes it unchanged: no question,
  // and the first host's draft stays as it was.
  const auto [secondStatus, secondOutput] =
      run(withScript("look.txt", "wait\nwait\n"), dir / "second.log");
  const std::string after = draft ? test::readFile(*draft) : std::string();

  ::kill(first, SIGKILL);
  int status = 0;
  ::waitpid(first, &status, 0);
  release.open();
  SCOPED_TRACE(test::readFile(dir / "first.log"));
  SCOPED_TRACE(secondOutput);
  ASSERT_TRUE(draft) << "no draft while the first host waited";
  ASSERT_TRUE(held);
  EXPECT_TRUE(WIFEXITED(secondStatus) && WEXITSTATUS(secondStatus) == 0);
  EXPECT_EQ(secondOutput.find("Sample 1\" with changes"), std::string::npos) << "not offered";
  EXPECT_EQ(after, written) << "neither removed nor replaced";

  // After the crash the edit is offered, taken and saved; German stored,
  // the question is German throughout.
  test::writeFile(dir / "registry" / "HKEY_LOCAL_MACHINE.reg",
                  "Windows Registry Editor Version 5.00\n\n"
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brixel\\Pellora]\n\"Language\"=\"DE\"\n\n");
  test::writeFile(dir / "restore.txt", "answer Wiederherstellen\nParams \"" + url +
                                           "\" \"Sample 1\" tok\nLoad\nwait\nwait\nSave\n");
  const auto [thirdStatus, thirdOutput] =
      run({"--script", (dir / "restore.txt").string()}, dir / "third.log");
  SCOPED_TRACE(thirdOutput);
  EXPECT_TRUE(WIFEXITED(thirdStatus) && WEXITSTATUS(thirdStatus) == 0);
  EXPECT_NE(thirdOutput.find("  [MessageBox] Entwurf wiederherstellen\n  | Es gibt einen Entwurf"),
            std::string::npos)
      << "the draft was offered";
  EXPECT_NE(
      thirdOutput.find("  buttons: Wiederherstellen | Verwerfen | Sp\xc3\xa4ter entscheiden\n"),
      std::string::npos);
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 4u);
  const journal::Draft kept = journal::decodeDraft(written);
  EXPECT_NE(kept.body.find("<b>Welt</b>"), std::string::npos) << kept.body;
  EXPECT_NE(requests[3].find("htmlsource=" + content::UrlEncode(kept.body) + "&"),
            std::string::npos)
      << "the save stores the first host's edit";
  EXPECT_TRUE(drafts(key).empty()) << "the acknowledged save removed it";
}

// Without a display the surface holds the document text only; a load and a
// save the server refuses, with no edit between, keep no draft.
TEST_F(JournalEndToEndTest, NoDraftWithoutAnEditOnTheHeadlessSurface) {
  test::ScriptedServer server({
      {readRequest(), sendBytes(answer("<p>Hallo</p>")), test::closeConnection()},
      {readRequest(), sendBytes(answer("Datenbank nicht erreichbar")), test::closeConnection()},
  });
  const std::string url = server.url("/t");
  test::writeFile(dir / "save.txt", "Save\n");
  const auto [status, output] = run({"--url", url, "--content", "Sample 1", "--auth", "tok",
                                     "--script", (dir / "save.txt").string()},
                                    dir / "host.log", Display::No);
  SCOPED_TRACE(output);
  ASSERT_EQ(server.requests().size(), 2u) << "loaded and saved";
  EXPECT_NE(output.find("Datenbank nicht erreichbar"), std::string::npos);
  EXPECT_TRUE(drafts({url, "Sample 1"}).empty());
}

}  // namespace
}  // namespace pellora
