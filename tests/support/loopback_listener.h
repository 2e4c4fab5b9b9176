// The listening socket and stop pipe of the tests' own servers: a socket on
// 127.0.0.1 with a port the system chooses, so tests never collide.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace pellora::test {

// Listens on 127.0.0.1 with an ephemeral port; gives the descriptor and
// keeps the port in `port`.
inline int listenOnLoopback(int& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(fd, 16) != 0) {
    if (fd >= 0) ::close(fd);
    throw std::runtime_error("test server cannot listen");
  }
  socklen_t length = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
  port = ntohs(addr.sin_port);
  return fd;
}

// A loopback port on which nothing listens: bound, then released, so a
// connection to it is refused.
inline int unusedLoopbackPort() {
  int port = 0;
  ::close(listenOnLoopback(port));
  return port;
}

}  // namespace pellora::test
