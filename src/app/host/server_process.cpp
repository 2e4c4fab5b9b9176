#include "app/host/server_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

extern char** environ;

namespace pellora::host {

namespace {
struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
}  // namespace

ServerProcess::ServerProcess(const std::string& program, const std::string& root,
                             const std::string& token) {
  int out[2];
  if (pipe(out) != 0) throw std::runtime_error("cannot make a pipe for the server");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<std::string> args = {program,  "--root", root,      "--base", "/tessaron",
                                   "--port", "0",      "--token", token};
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const int spawned = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::unique_ptr<FILE, FileCloser> reader(fdopen(out[0], "r"));
  if (spawned != 0 || !reader) {
    if (!reader) close(out[0]);
    pid_ = -1;
    throw std::runtime_error("cannot start " + program);
  }
  // The server announces its address once it listens.
  char line[512];
  while (std::fgets(line, sizeof line, reader.get())) {
    std::string text(line);
    const std::string marker = "listening on ";
    if (text.rfind(marker, 0) == 0) {
      baseUrl_ = text.substr(marker.size());
      while (!baseUrl_.empty() && (baseUrl_.back() == '\n' || baseUrl_.back() == '\r'))
        baseUrl_.pop_back();
      return;
    }
  }
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
  throw std::runtime_error(program + " did not start listening");
}

ServerProcess::~ServerProcess() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
}

}  // namespace pellora::host
