// The listening socket and the accept loop. Each connection is served on a
// thread of its own, at most kMaxConnections at once; a further client waits
// in the listen queue until one ends. The server owns its threads and joins
// them when it goes.
#pragma once

#include <atomic>
#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "app/tessaron_server/connection.h"
#include "app/tessaron_server/fd.h"

namespace pellora::tessaron {

inline constexpr int kMaxConnections = 32;

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
  struct Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };
  void reapFinished();
  void waitForFreeSlot();

  Listener& listener_;
  ConnectionSettings settings_;
  ContentStore& store_;
  std::list<Worker> workers_;
  std::mutex mutex_;
  std::condition_variable workerEnded_;
  Fd wakeRead_, wakeWrite_;  // stop() writes a byte to end run()'s wait
  std::atomic<bool> stopping_{false};
};

}  // namespace pellora::tessaron
