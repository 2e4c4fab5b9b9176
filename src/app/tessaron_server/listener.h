// The listening socket, and the server that serves its connections: one
// thread waits on all of them and hands each complete request to a worker
// (see server_loop.h).
#pragma once

#include <memory>
#include <string>

#include "app/tessaron_server/connection.h"
#include "app/tessaron_server/fd.h"

namespace pellora::tessaron {

class ServerLoop;

class Listener {
 public:
  // Binds `address`:`port` (0: a free port) and listens; throws
  // std::runtime_error with the system's reason when that fails.
  Listener(const std::string& address, int port);
  int port() const { return port_; }
  int fd() const { return fd_.get(); }

 private:
  Fd fd_;
  int port_ = 0;
};

class Server {
 public:
  Server(Listener& listener, ConnectionSettings settings, ContentStore& store);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Accepts and serves connections until stop() is called (from another
  // thread).
  void run();
  void stop();

 private:
  std::unique_ptr<ServerLoop> loop_;
};

}  // namespace pellora::tessaron
