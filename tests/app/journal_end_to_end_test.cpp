// A draft survives a crash: the host edits an item, is killed with SIGKILL
// while a request hangs, and a new host restores the draft and saves it.
// The installation is a scripted server on loopback, so both hosts see the
// same address and the first one can be held in the middle of a load.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
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
  }

  // Starts the host with `args`, its output going to `log`.
  pid_t start(const std::vector<std::string>& args, const fs::path& log) {
    std::vector<std::string> env = {
        "PELLORA_REGISTRY_DIR=" + (dir / "registry").string(),
        "XDG_STATE_HOME=" + (dir / "state").string(),
        "WEBKIT_DISABLE_COMPOSITING_MODE=1",
        "WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS=1",
    };
    for (char** e = environ; *e; ++e) {
      const std::string entry = *e;
      if (entry.rfind("DISPLAY=", 0) == 0 || entry.rfind("XAUTHORITY=", 0) == 0 ||
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

  // Waits (at most a minute) until a file is renamed into the journal
  // folder: how the store puts every draft in place.
  bool awaitDraft(const fs::path& draft) {
    const int watch = ::inotify_init1(IN_CLOEXEC);
    if (watch < 0) return false;
    ::inotify_add_watch(watch, journal.c_str(), IN_MOVED_TO);
    bool there = fs::exists(draft);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!there && std::chrono::steady_clock::now() < deadline) {
      pollfd p{watch, POLLIN, 0};
      if (::poll(&p, 1, 1000) > 0) {
        char events[4096];
        [[maybe_unused]] ssize_t n = ::read(watch, events, sizeof events);
      }
      there = fs::exists(draft);
    }
    ::close(watch);
    return there;
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
  const fs::path draft = journal / journal::draftFileName({url, "Sample 1"});

  // The edit uses the tool bar (a selection made bold), then a second load
  // holds the host while the draft is written.
  test::writeFile(dir / "edit.txt", "select Welt\nclick btnBold\nLoad\n");
  const pid_t first = start({"--url", url, "--content", "Sample 1", "--auth", "tok", "--script",
                             (dir / "edit.txt").string()},
                            dir / "first.log");
  ASSERT_GT(first, 0);
  const bool written = awaitDraft(draft);
  ::kill(first, SIGKILL);
  int status = 0;
  ::waitpid(first, &status, 0);
  release.open();
  SCOPED_TRACE(test::readFile(dir / "first.log"));
  ASSERT_TRUE(written) << "no draft while the host waited";
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  EXPECT_TRUE(loadHangs.isOpen());
  const journal::Draft kept = journal::decodeDraft(test::readFile(draft));
  EXPECT_NE(kept.body.find("<b>Welt</b>"), std::string::npos) << kept.body;

  // A new host loads the item, is offered the draft, takes it and saves.
  test::writeFile(dir / "restore.txt",
                  "answer Ja\nParams \"" + url + "\" \"Sample 1\" tok\nLoad\nwait\nwait\nSave\n");
  const pid_t second = start({"--script", (dir / "restore.txt").string()}, dir / "second.log");
  ASSERT_GT(second, 0);
  ::waitpid(second, &status, 0);
  const std::string output = test::readFile(dir / "second.log");
  SCOPED_TRACE(output);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_NE(output.find("answered Ja"), std::string::npos) << "the draft was offered";
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_NE(requests[3].find("POST /t/edit.php"), std::string::npos);
  EXPECT_NE(requests[3].find("htmlsource=" + content::UrlEncode(kept.body) + "&"),
            std::string::npos)
      << "the save stores the draft";
  EXPECT_FALSE(fs::exists(draft)) << "the acknowledged save removed the draft";
}

}  // namespace
}  // namespace pellora
