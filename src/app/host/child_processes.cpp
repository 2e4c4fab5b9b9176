#include "app/host/child_processes.h"

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <mutex>

namespace pellora::host {

namespace {

// Read by the signal handler: lock-free atomics only.
static_assert(std::atomic<pid_t>::is_always_lock_free);
std::array<std::atomic<pid_t>, 8> g_children{};

constexpr std::array<int, 3> kEndingSignals = {SIGTERM, SIGINT, SIGHUP};

extern "C" void endChildrenThenSelf(int signal) {
  for (auto& child : g_children) {
    if (const pid_t pid = child.load(); pid > 0) kill(pid, SIGTERM);
  }
  // The signal's own course: the process ends by it, as it would have.
  struct sigaction plain {};
  plain.sa_handler = SIG_DFL;
  sigemptyset(&plain.sa_mask);
  sigaction(signal, &plain, nullptr);
  raise(signal);
}

void handleEndingSignals() {
  static std::once_flag installed;
  std::call_once(installed, [] {
    for (int signal : kEndingSignals) {
      struct sigaction current {};
      if (sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
      struct sigaction ours {};
      ours.sa_handler = endChildrenThenSelf;
      sigemptyset(&ours.sa_mask);
      sigaction(signal, &ours, nullptr);
    }
  });
}

void remember(pid_t pid) {
  for (auto& child : g_children) {
    pid_t free = 0;
    if (child.compare_exchange_strong(free, pid)) return;
  }
  // No slot left: the system's signal at our death still ends it.
}

}  // namespace

pid_t startChild(const std::vector<std::string>& argv, int stdoutFd) {
  handleEndingSignals();
  // Built before the fork: the child may only make async-signal-safe calls.
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  const pid_t parent = getpid();

  // Blocked around the fork: a signal now waits until the child is known,
  // and none reaches the child before it has its own handling.
  sigset_t all, before;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &before);
  const pid_t pid = fork();
  if (pid == 0) {
    for (int signal : kEndingSignals) {
      struct sigaction plain {};
      plain.sa_handler = SIG_DFL;
      sigemptyset(&plain.sa_mask);
      sigaction(signal, &plain, nullptr);
    }
    // Ended when we die; and we may have died before it was asked for.
    if (prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || getppid() != parent) _exit(127);
    if (stdoutFd != STDOUT_FILENO && dup2(stdoutFd, STDOUT_FILENO) < 0) _exit(127);
    sigprocmask(SIG_SETMASK, &before, nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  if (pid > 0) remember(pid);
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  return pid;
}

void forgetChild(pid_t pid) {
  for (auto& child : g_children) {
    pid_t held = pid;
    if (child.compare_exchange_strong(held, 0)) return;
  }
}

}  // namespace pellora::host
