#include <winsock2.h>
#include <ws2tcpip.h>

#include <stdexcept>

#include "support/test_socket.h"

namespace pellora::test {

namespace {

// Winsock counts its starts; the tests' one lasts the process.
void ensureStarted() {
  static const bool started = [] {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  if (!started) throw std::runtime_error("Winsock cannot be started");
}

sockaddr_in loopback(int port) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<u_short>(port));
  return addr;
}

SOCKET native(TestSocket socket) { return static_cast<SOCKET>(socket); }

TestSocket wrap(SOCKET socket) {
  return socket == INVALID_SOCKET ? -1 : static_cast<TestSocket>(socket);
}

}  // namespace

TestSocket listenOnLoopback(int& port) {
  ensureStarted();
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr = loopback(0);
  if (s == INVALID_SOCKET || ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(s, 16) != 0) {
    if (s != INVALID_SOCKET) ::closesocket(s);
    throw std::runtime_error("test server cannot listen");
  }
  int length = sizeof addr;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &length);
  port = ntohs(addr.sin_port);
  return wrap(s);
}

int unusedLoopbackPort() {
  int port = 0;
  closeSocket(listenOnLoopback(port));
  return port;
}

TestSocket acceptConnection(TestSocket listener) {
  return wrap(::accept(native(listener), nullptr, nullptr));
}

TestSocket connectToLoopback(int port) {
  ensureStarted();
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in addr = loopback(port);
  if (s != INVALID_SOCKET && ::connect(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr)) {
    ::closesocket(s);
    return -1;
  }
  return wrap(s);
}

bool waitReady(TestSocket socket, bool forWriting, int waitMs) {
  fd_set ready, failed;
  FD_ZERO(&ready);
  FD_ZERO(&failed);
  FD_SET(native(socket), &ready);
  FD_SET(native(socket), &failed);
  timeval limit{waitMs / 1000, (waitMs % 1000) * 1000};
  return ::select(0, forWriting ? nullptr : &ready, forWriting ? &ready : nullptr, &failed,
                  waitMs < 0 ? nullptr : &limit) != 0;
}

long sendSome(TestSocket socket, const char* data, std::size_t size) {
  return ::send(native(socket), data, static_cast<int>(size), 0);
}

long receiveSome(TestSocket socket, char* buffer, std::size_t capacity) {
  return ::recv(native(socket), buffer, static_cast<int>(capacity), 0);
}

void closeSocket(TestSocket socket) {
  if (socket >= 0) ::closesocket(native(socket));
}

}  // namespace pellora::test
