// Covered by tests/app/tessaron_server_test.cpp (Served*) and
// tests/app/integration_test.cpp.
#include "app/tessaron_server/listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "app/tessaron_server/server_loop.h"

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
  if (::listen(fd_.get(), SOMAXCONN) != 0) fail("listen");
  socklen_t length = sizeof where;
  if (::getsockname(fd_.get(), reinterpret_cast<sockaddr*>(&where), &length) != 0) {
    fail("getsockname");
  }
  port_ = ntohs(where.sin_port);
}

Server::Server(Listener& listener, ConnectionSettings settings, ContentStore& store)
    : loop_(std::make_unique<ServerLoop>(listener.fd(), std::move(settings), store)) {}

Server::~Server() = default;

void Server::run() { loop_->run(); }

void Server::stop() { loop_->stop(); }

}  // namespace pellora::tessaron
