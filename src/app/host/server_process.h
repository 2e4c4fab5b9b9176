// The bundled server as a child process: started on a free loopback port
// over an installation folder, its address read from the line it prints
// when it listens, and stopped when this object goes. It never outlives
// the host: the system ends it when the host dies however it dies (killed,
// crashed), and the host's handlers of SIGTERM, SIGINT and SIGHUP end it
// before the host goes.
#pragma once

#include <sys/types.h>

#include <string>

namespace pellora::host {

class ServerProcess {
 public:
  // Starts `program` over `root` with `token`; throws when it does not come
  // up.
  ServerProcess(const std::string& program, const std::string& root, const std::string& token);
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // "http://127.0.0.1:PORT/tessaron"
  const std::string& baseUrl() const { return baseUrl_; }
  pid_t pid() const { return pid_; }

 private:
  void stop();

  pid_t pid_ = -1;
  std::string baseUrl_;
};

}  // namespace pellora::host
