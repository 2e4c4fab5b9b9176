#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "support/test_socket.h"

namespace pellora::test {

namespace {

sockaddr_in loopback(int port) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  return addr;
}

int fdOf(TestSocket socket) { return static_cast<int>(socket); }

}  // namespace

TestSocket listenOnLoopback(int& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr = loopback(0);
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

int unusedLoopbackPort() {
  int port = 0;
  closeSocket(listenOnLoopback(port));
  return port;
}

TestSocket acceptConnection(TestSocket listener) {
  return ::accept4(fdOf(listener), nullptr, nullptr, SOCK_CLOEXEC);
}

TestSocket connectToLoopback(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_in addr = loopback(port);
  if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool waitReady(TestSocket socket, bool forWriting, int waitMs) {
  pollfd p{fdOf(socket), static_cast<short>(forWriting ? POLLOUT : POLLIN), 0};
  int r;
  while ((r = ::poll(&p, 1, waitMs)) < 0 && errno == EINTR) {
  }
  return r != 0;
}

long sendSome(TestSocket socket, const char* data, std::size_t size) {
  return ::send(fdOf(socket), data, size, MSG_NOSIGNAL);
}

long receiveSome(TestSocket socket, char* buffer, std::size_t capacity) {
  return ::recv(fdOf(socket), buffer, capacity, 0);
}

void closeSocket(TestSocket socket) {
  if (socket >= 0) ::close(fdOf(socket));
}

}  // namespace pellora::test
