// Covered by tests/app/tessaron_server_test.cpp (Served*) and
// tests/app/integration_test.cpp.
#include "app/tessaron_server/listener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <system_error>

namespace pellora::tessaron {

namespace {

[[noreturn]] void fail(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace

Listener::Listener(const std::string& address, int port) {
  fd_ = Fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!fd_.valid()) fail("socket");
  const int yes = 1;
  ::setsockopt(fd_.get(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(static_cast<std::uint16_t>(port));
  if (::inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1) {
    throw std::runtime_error("unusable address " + address);
  }
  if (::bind(fd_.get(), reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) fail("bind");
  if (::listen(fd_.get(), 64) != 0) fail("listen");
  socklen_t length = sizeof where;
  if (::getsockname(fd_.get(), reinterpret_cast<sockaddr*>(&where), &length) != 0) {
    fail("getsockname");
  }
  port_ = ntohs(where.sin_port);
}

Server::Server(Listener& listener, ConnectionSettings settings, ContentStore& store)
    : listener_(listener), settings_(std::move(settings)), store_(store) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) fail("pipe");
  wakeRead_ = Fd(ends[0]);
  wakeWrite_ = Fd(ends[1]);
}

Server::~Server() {
  stop();
  for (Worker& worker : workers_) worker.thread.join();
}

void Server::stop() {
  stopping_ = true;
  const char byte = 0;
  [[maybe_unused]] const auto ignored = ::write(wakeWrite_.get(), &byte, 1);
}

void Server::reapFinished() {
  for (auto it = workers_.begin(); it != workers_.end();) {
    if (*it->done) {
      it->thread.join();
      it = workers_.erase(it);
    } else {
      ++it;
    }
  }
}

void Server::waitForFreeSlot() {
  std::unique_lock lock(mutex_);
  workerEnded_.wait(lock, [this] {
    reapFinished();
    return workers_.size() < kMaxConnections || stopping_;
  });
}

void Server::run() {
  while (!stopping_) {
    waitForFreeSlot();
    pollfd entries[2] = {{listener_.fd(), POLLIN, 0}, {wakeRead_.get(), POLLIN, 0}};
    if (::poll(entries, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (stopping_ || entries[1].revents) return;
    Fd client(::accept4(listener_.fd(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!client.valid()) {
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
        // Out of descriptors or memory: the waiting client stays queued;
        // pause instead of spinning until a connection ends.
        pollfd wake{wakeRead_.get(), POLLIN, 0};
        ::poll(&wake, 1, 100);
      }
      continue;
    }
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::lock_guard lock(mutex_);
    try {
      workers_.push_back({std::thread([this, done, socket = std::move(client)]() mutable {
                            serveConnection(std::move(socket), settings_, store_);
                            std::lock_guard lock(mutex_);
                            *done = true;
                            workerEnded_.notify_all();
                          }),
                          done});
    } catch (const std::system_error&) {
      // No thread to be had: this connection is dropped, the server goes on.
    }
  }
}

}  // namespace pellora::tessaron
