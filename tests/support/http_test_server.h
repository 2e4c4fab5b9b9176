// A raw-socket HTTP server for tests: it listens on 127.0.0.1 with an
// ephemeral port, takes connections one after another and plays one script
// per connection (read a request, send bytes, wait for a gate, close),
// recording every request's bytes. A connection whose script ends without
// closing stays open until the server goes, so clients can keep it alive.
// Header-only so that any layer's tests can use it; its sockets go through
// test_socket.h, so it runs on every system.
#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/test_socket.h"

namespace pellora::test {

// A one-shot signal between the test and the server thread.
class Gate {
 public:
  void open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    cv_.notify_all();
  }
  bool isOpen() const {
    std::lock_guard lock(mutex_);
    return open_;
  }
  // Waits until opened or `stop` is set; true when opened.
  bool wait(const std::atomic<bool>& stop) {
    std::unique_lock lock(mutex_);
    while (!open_ && !stop) cv_.wait_for(lock, std::chrono::milliseconds(20));
    return open_;
  }
  // Waits until opened (test side).
  void wait() {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [this] { return open_; });
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  bool open_ = false;
};

struct ServerStep {
  enum Kind { ReadRequest, Send, Close, Await, Signal } kind;
  std::string bytes;
  Gate* gate = nullptr;
};
using ConnectionScript = std::vector<ServerStep>;

inline ServerStep readRequest() { return {ServerStep::ReadRequest, {}, nullptr}; }
inline ServerStep sendBytes(std::string bytes) {
  return {ServerStep::Send, std::move(bytes), nullptr};
}
inline ServerStep closeConnection() { return {ServerStep::Close, {}, nullptr}; }
inline ServerStep awaitGate(Gate& gate) { return {ServerStep::Await, {}, &gate}; }
inline ServerStep openGate(Gate& gate) { return {ServerStep::Signal, {}, &gate}; }

class ScriptedServer {
 public:
  explicit ScriptedServer(std::vector<ConnectionScript> scripts) : scripts_(std::move(scripts)) {
    listen_ = listenOnLoopback(port_);
    thread_ = std::thread([this] { run(); });
  }

  ~ScriptedServer() {
    stop_ = true;
    thread_.join();
    for (TestSocket fd : held_) closeSocket(fd);
    closeSocket(listen_);
  }

  int port() const { return port_; }
  std::string url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  std::string hostHeader() const { return "127.0.0.1:" + std::to_string(port_); }

  std::vector<std::string> requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }
  int connections() const {
    std::lock_guard lock(mutex_);
    return connections_;
  }
  // Steps that could not be played (for example a request that never came).
  std::vector<std::string> problems() const {
    std::lock_guard lock(mutex_);
    return problems_;
  }
  // Blocks until every script has been played to its end.
  void waitUntilDone() { done_.wait(); }

 private:
  // Waits for `fd` to be readable (or writable); false when the server is
  // being destroyed meanwhile. Short slices let it see that in time.
  bool waitFor(TestSocket fd, bool forWriting) {
    while (!stop_) {
      if (waitReady(fd, forWriting, 20)) return true;
    }
    return false;
  }

  void problem(const std::string& text) {
    std::lock_guard lock(mutex_);
    problems_.push_back(text);
  }

  void run() {
    for (const ConnectionScript& script : scripts_) {
      if (!waitFor(listen_, false)) return;
      const TestSocket fd = acceptConnection(listen_);
      if (fd < 0) return;
      {
        std::lock_guard lock(mutex_);
        ++connections_;
      }
      if (play(fd, script)) held_.push_back(fd);
    }
    done_.open();
  }

  // Plays one script; false when the connection is closed (and its
  // descriptor released).
  bool play(TestSocket fd, const ConnectionScript& script) {
    std::string pending;  // bytes received beyond the last request
    bool open = true;
    for (const ServerStep& step : script) {
      if (!open && step.kind != ServerStep::Await && step.kind != ServerStep::Signal) {
        problem("step after close");
        continue;
      }
      switch (step.kind) {
        case ServerStep::ReadRequest: {
          std::string request;
          if (!readRequestInto(fd, pending, request)) {
            if (!stop_) problem("connection ended before a full request");
            closeSocket(fd);
            return false;
          }
          std::lock_guard lock(mutex_);
          requests_.push_back(request);
          break;
        }
        case ServerStep::Send: {
          std::size_t sent = 0;
          while (sent < step.bytes.size()) {
            if (!waitFor(fd, true)) return true;
            const long n = sendSome(fd, step.bytes.data() + sent, step.bytes.size() - sent);
            if (n <= 0) {
              problem("send failed");
              closeSocket(fd);
              return false;
            }
            sent += static_cast<std::size_t>(n);
          }
          break;
        }
        case ServerStep::Close:
          closeSocket(fd);
          open = false;
          break;
        case ServerStep::Await:
          if (!step.gate->wait(stop_)) return open;
          break;
        case ServerStep::Signal:
          step.gate->open();
          break;
      }
    }
    return open;
  }

  bool receiveMore(TestSocket fd, std::string& into) {
    char buffer[65536];
    if (!waitFor(fd, false)) return false;
    const long n = receiveSome(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    into.append(buffer, static_cast<std::size_t>(n));
    return true;
  }

  bool readRequestInto(TestSocket fd, std::string& pending, std::string& request) {
    std::size_t end;
    while ((end = pending.find("\r\n\r\n")) == std::string::npos) {
      if (!receiveMore(fd, pending)) return false;
    }
    std::string head = pending.substr(0, end + 4);
    std::string lowered = head;
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::size_t bodyLength = 0;
    if (auto at = lowered.find("\r\ncontent-length:"); at != std::string::npos) {
      bodyLength = std::stoul(lowered.substr(at + 17));
    }
    while (pending.size() < head.size() + bodyLength) {
      if (!receiveMore(fd, pending)) return false;
    }
    request = pending.substr(0, head.size() + bodyLength);
    pending.erase(0, request.size());
    return true;
  }

  std::vector<ConnectionScript> scripts_;
  TestSocket listen_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::vector<TestSocket> held_;
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::vector<std::string> problems_;
  int connections_ = 0;
  Gate done_;
};

}  // namespace pellora::test
