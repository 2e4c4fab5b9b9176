#include "app/host/server_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

#include "app/host/child_processes.h"

namespace pellora::host {

namespace {
struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
}  // namespace

ServerProcess::ServerProcess(const std::string& program, const std::string& root,
                             const std::string& token) {
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe for the server");
  pid_ = startChild(
      {program, "--root", root, "--base", "/tessaron", "--port", "0", "--token", token}, out[1]);
  close(out[1]);
  std::unique_ptr<FILE, FileCloser> reader(fdopen(out[0], "r"));
  if (pid_ <= 0 || !reader) {
    if (!reader) close(out[0]);
    stop();
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
  stop();
  throw std::runtime_error(program + " did not start listening");
}

ServerProcess::~ServerProcess() { stop(); }

void ServerProcess::stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
  forgetChild(pid_);
  pid_ = -1;
}

}  // namespace pellora::host
