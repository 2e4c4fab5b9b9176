// A running tessaron-server for tests that drive the control against a real
// installation: the built server, started on a free loopback port, with its
// announced address read from its standard output.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace pellora::test {

// Started with a pipe on its standard output,
// from which the announced address is read; terminated and reaped on
// destruction.
class ServerProcess {
 public:
  explicit ServerProcess(const std::vector<std::string>& args) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::vector<std::string> argv = {TESSARON_SERVER_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> raw;
    for (auto& arg : argv) raw.push_back(arg.data());
    raw.push_back(nullptr);
    const int spawned =
        ::posix_spawn(&pid_, TESSARON_SERVER_PATH, &actions, nullptr, raw.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    readEnd_ = out[0];
    if (spawned != 0) {
      pid_ = -1;
      throw std::runtime_error("cannot start " TESSARON_SERVER_PATH);
    }
    baseUrl_ = announcedUrl();
  }
  ~ServerProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      int status = 0;
      ::waitpid(pid_, &status, 0);
    }
    ::close(readEnd_);
  }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  pid_t pid() const { return pid_; }
  // "http://127.0.0.1:PORT/base" as the server announced it.
  const std::string& baseUrl() const { return baseUrl_; }
  int port() const {
    const std::size_t colon = baseUrl_.rfind(':');
    return std::stoi(baseUrl_.substr(colon + 1));
  }

 private:
  // The first line on the server's output, less "listening on ". Bounded so
  // a server that fails to start ends the test instead of hanging it.
  std::string announcedUrl() {
    std::string line;
    pollfd entry{readEnd_, POLLIN, 0};
    while (line.find('\n') == std::string::npos) {
      if (::poll(&entry, 1, 30000) <= 0) throw std::runtime_error("the server announced nothing");
      char piece[256];
      const ssize_t n = ::read(readEnd_, piece, sizeof piece);
      if (n <= 0) throw std::runtime_error("the server ended before listening");
      line.append(piece, static_cast<std::size_t>(n));
    }
    line.erase(line.find('\n'));
    const std::string prefix = "listening on ";
    if (line.rfind(prefix, 0) != 0) throw std::runtime_error("unexpected announcement " + line);
    return line.substr(prefix.size());
  }

  pid_t pid_ = -1;
  int readEnd_ = -1;
  std::string baseUrl_;
};

}  // namespace pellora::test
