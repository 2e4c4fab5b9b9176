// A plain forwarding HTTP proxy for tests: it listens on 127.0.0.1 with an
// ephemeral port, takes requests in absolute form ("GET http://host:port/x
// HTTP/1.1"), records their request lines, and forwards each on a fresh
// connection to its origin in origin form with "Connection: close", handing
// the origin's whole answer back. Requests in any other form are answered
// 400, so a client that bypasses the proxy's rules shows in the record.
// Header-only so that any layer's tests can use it.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/loopback_listener.h"

namespace pellora::test {

class ForwardingProxy {
 public:
  ForwardingProxy() {
    listen_ = listenOnLoopback(port_);
    if (::pipe2(stopPipe_, O_CLOEXEC) != 0) throw std::runtime_error("test proxy cannot pipe");
    acceptor_ = std::thread([this] { acceptAll(); });
  }

  ForwardingProxy(const ForwardingProxy&) = delete;
  ForwardingProxy& operator=(const ForwardingProxy&) = delete;

  ~ForwardingProxy() {
    stop_ = true;
    const char byte = 0;
    [[maybe_unused]] ssize_t n = ::write(stopPipe_[1], &byte, 1);
    acceptor_.join();
    for (std::thread& worker : workers_) worker.join();
    ::close(listen_);
    ::close(stopPipe_[0]);
    ::close(stopPipe_[1]);
  }

  int port() const { return port_; }

  // The request lines received, in order of arrival.
  std::vector<std::string> requestLines() const {
    std::lock_guard lock(mutex_);
    return requestLines_;
  }

 private:
  // Owns one socket descriptor.
  struct Socket {
    int fd;
    explicit Socket(int descriptor) : fd(descriptor) {}
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket() {
      if (fd >= 0) ::close(fd);
    }
  };

  // Waits for `fd` to be ready or for the stop signal; false on stop.
  bool waitFor(int fd, short events) {
    pollfd p[2] = {{fd, events, 0}, {stopPipe_[0], POLLIN, 0}};
    while (::poll(p, 2, -1) < 0) {
    }
    return !(p[1].revents & POLLIN);
  }

  void acceptAll() {
    while (waitFor(listen_, POLLIN)) {
      const int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      workers_.emplace_back([this, fd] { serve(fd); });
    }
  }

  bool receiveMore(int fd, std::string& into) {
    char buffer[65536];
    if (!waitFor(fd, POLLIN)) return false;
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    into.append(buffer, static_cast<std::size_t>(n));
    return true;
  }

  bool sendAll(int fd, const std::string& bytes) {
    for (std::size_t sent = 0; sent < bytes.size();) {
      if (!waitFor(fd, POLLOUT)) return false;
      const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return false;
      sent += static_cast<std::size_t>(n);
    }
    return true;
  }

  static std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
  }

  // Serves the requests of one client connection until it closes.
  void serve(int clientFd) {
    Socket client(clientFd);
    std::string pending;
    for (;;) {
      std::size_t end;
      while ((end = pending.find("\r\n\r\n")) == std::string::npos) {
        if (!receiveMore(client.fd, pending)) return;
      }
      const std::string head = pending.substr(0, end + 2);
      std::size_t bodyLength = 0;
      const std::string low = lowered(head);
      if (auto at = low.find("\r\ncontent-length:"); at != std::string::npos) {
        bodyLength = std::stoul(low.substr(at + 17));
      }
      while (pending.size() < end + 4 + bodyLength) {
        if (!receiveMore(client.fd, pending)) return;
      }
      const std::string body = pending.substr(end + 4, bodyLength);
      pending.erase(0, end + 4 + bodyLength);
      const std::string answer = forward(head, body);
      if (!sendAll(client.fd, answer)) return;
    }
  }

  // Forwards one request; gives the origin's answer, or a 400/502 of our own.
  std::string forward(const std::string& head, const std::string& body) {
    const std::size_t lineEnd = head.find("\r\n");
    const std::string line = head.substr(0, lineEnd);
    {
      std::lock_guard lock(mutex_);
      requestLines_.push_back(line);
    }
    const std::size_t methodEnd = line.find(' ');
    const std::size_t targetEnd = line.rfind(' ');
    const std::string target = line.substr(methodEnd + 1, targetEnd - methodEnd - 1);
    if (methodEnd == std::string::npos || target.rfind("http://", 0) != 0) {
      return "HTTP/1.1 400 Not a proxy request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    }
    const std::size_t pathAt = target.find('/', 7);
    const std::string authority = target.substr(7, pathAt - 7);
    const std::string path = pathAt == std::string::npos ? "/" : target.substr(pathAt);
    const std::size_t colon = authority.rfind(':');
    const std::string host = authority.substr(0, colon);
    const std::string port = colon == std::string::npos ? "80" : authority.substr(colon + 1);

    // The origin sees an ordinary request, without the proxy's own fields.
    std::string forwarded = line.substr(0, methodEnd + 1) + path + line.substr(targetEnd) + "\r\n";
    for (std::size_t at = lineEnd + 2; at < head.size();) {
      const std::size_t next = head.find("\r\n", at);
      const std::string field = head.substr(at, next - at);
      const std::string name = lowered(field.substr(0, field.find(':')));
      if (name != "connection" && name != "proxy-connection") forwarded += field + "\r\n";
      at = next + 2;
    }
    forwarded += "Connection: close\r\n\r\n" + body;

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string badGateway =
        "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    if (::getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) return badGateway;
    Socket origin(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const bool connected =
        origin.fd >= 0 && ::connect(origin.fd, found->ai_addr, found->ai_addrlen) == 0;
    ::freeaddrinfo(found);
    if (!connected || !sendAll(origin.fd, forwarded)) return badGateway;
    std::string answer;
    while (receiveMore(origin.fd, answer)) {
    }
    return answer;
  }

  int listen_ = -1;
  int port_ = 0;
  int stopPipe_[2] = {-1, -1};
  std::atomic<bool> stop_{false};
  std::thread acceptor_;
  std::vector<std::thread> workers_;
  mutable std::mutex mutex_;
  std::vector<std::string> requestLines_;
};

}  // namespace pellora::test
