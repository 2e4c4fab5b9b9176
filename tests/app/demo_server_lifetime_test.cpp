// The demo's server never outlives the host: asked to end (SIGTERM) or
// killed outright (SIGKILL), the host leaves no tessaron-server running.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "host_run.h"

extern char** environ;

namespace pellora {
namespace {

std::string procFile(pid_t pid, const std::string& name) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/" + name);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Whether `pid` still runs (a zombie has ended).
bool runs(pid_t pid) {
  const std::string stat = procFile(pid, "stat");
  const auto close = stat.rfind(')');
  return close != std::string::npos && stat.size() > close + 2 && stat[close + 2] != 'Z';
}

class DemoServerLifetimeTest : public test::DemoHostTest {};

TEST_F(DemoServerLifetimeTest, TheServerEndsWithTheHostHoweverTheHostEnds) {
  test::writeFile(item(), "<p>Hallo</p>");
  const test::ScopedEnv registry("PELLORA_REGISTRY_DIR", (dir / "registry").string());
  const test::ScopedEnv compositing("WEBKIT_DISABLE_COMPOSITING_MODE", "1");
  const test::ScopedEnv sandbox("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS", "1");
  for (const int signal : {SIGTERM, SIGKILL}) {
    SCOPED_TRACE(strsignal(signal));
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string root = (dir / "site").string();
    const char* argv[] = {PELLORA_HOST_PATH, "--demo", "--demo-root", root.c_str(), nullptr};
    pid_t host = -1;
    ASSERT_EQ(::posix_spawn(&host, PELLORA_HOST_PATH, &actions, nullptr, const_cast<char**>(argv),
                            environ),
              0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    // Its first line comes once the server listens.
    pollfd ready{out[0], POLLIN, 0};
    ASSERT_EQ(::poll(&ready, 1, 60000), 1);
    pid_t server = -1;
    std::istringstream children(procFile(host, "task/" + std::to_string(host) + "/children"));
    for (pid_t child; children >> child;) {
      if (procFile(child, "comm") == "tessaron-server\n") server = child;
    }
    ::kill(host, signal);
    int status = 0;
    ::waitpid(host, &status, 0);
    ::close(out[0]);
    ASSERT_GT(server, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (runs(server) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(runs(server)) << "the server outlived the host";
    if (runs(server)) ::kill(server, SIGKILL);  // it would hold the test's output open
  }
}

}  // namespace
}  // namespace pellora
