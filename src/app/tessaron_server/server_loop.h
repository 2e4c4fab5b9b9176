// The server's one waiting place: a single thread polls the listening socket
// and every connection that is between requests, receiving a request, or
// being closed, with a deadline for each. Only a complete request reaches a
// worker (a small pool of threads), so clients that trickle or stay silent
// hold a descriptor each, never a worker, and others are served meanwhile.
// A client address holds at most ConnectionSettings::maxConnectionsPerAddress
// connections: when it opens one more, its longest idle connection (one
// between requests) is closed to make room, or, when all of them are in the
// middle of a request, the new one is refused with 503. It keeps at most
// ConnectionSettings::maxBusyWorkersPerAddress workers busy at once; a
// worker takes the waiting request of the address with the fewest busy
// workers first, so one address cannot starve the others. Request bodies go
// where the intake puts them as they arrive (body_intake.h); one refused
// before it is whole (no room for it, an upload without its token) is
// answered at once and its connection closed after a short drain.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "app/tessaron_server/connection.h"
#include "app/tessaron_server/fd.h"
#include "app/tessaron_server/request_reader.h"

namespace pellora::tessaron {

inline constexpr int kWorkers = 32;

class ServerLoop {
 public:
  ServerLoop(int listenFd, ConnectionSettings settings, ContentStore& store);
  ~ServerLoop();
  ServerLoop(const ServerLoop&) = delete;
  ServerLoop& operator=(const ServerLoop&) = delete;

  void run();
  void stop();

 private:
  using Clock = std::chrono::steady_clock;
  struct Client {
    Client(Fd fd, std::uint32_t from, const RequestLimits& limits, BodyIntake& intake,
           Clock::time_point now)
        : socket(std::move(fd)), address(from), reader(limits, &intake, from), lastHeard(now) {}
    Fd socket;
    std::uint32_t address;
    RequestReader reader;
    bool draining = false;
    bool continueSent = false;
    Clock::time_point lastHeard;       // last bytes received, or the last answer
    Clock::time_point requestStarted;  // first byte of the current request
    Clock::time_point drainUntil;
    std::size_t drained = 0;
  };
  using ClientPtr = std::unique_ptr<Client>;
  struct Job {
    ClientPtr client;
    HttpRequest request;
  };
  struct Returned {
    ClientPtr client;
    AfterAnswer after;
  };

  void acceptAll(Clock::time_point now);
  bool admit(std::uint32_t address);
  bool evictIdle(const std::uint32_t* address);
  void receive(std::uint64_t id, Clock::time_point now);
  void advance(std::uint64_t id, Clock::time_point now);
  void fail(std::uint64_t id, int status, Clock::time_point now);
  void fail(std::uint64_t id, const HttpResponse& answer, Clock::time_point now);
  void startDraining(Client& client, Clock::time_point now);
  void dispatch(std::uint64_t id);
  void close(std::uint64_t id);
  void forget(const Client& client);
  void takeReturned(Clock::time_point now);
  void hold(ClientPtr client, Clock::time_point now);
  void expire(Clock::time_point now);
  Clock::time_point deadlineOf(const Client& client) const;
  void wake();
  void work();
  // The next job a worker may take, or jobs_.end(); under mutex_.
  std::deque<Job>::iterator nextJob();

  int listenFd_;
  ConnectionSettings settings_;
  ContentStore& store_;
  std::size_t maxOpen_;
  BodyIntake intake_;                        // before the clients, whose readers use it
  std::map<std::uint64_t, ClientPtr> held_;  // the connections the loop waits on
  std::uint64_t nextId_ = 0;
  std::map<std::uint32_t, std::size_t> perAddress_;
  std::size_t open_ = 0;
  Clock::time_point acceptPausedUntil_{};

  std::mutex mutex_;
  std::condition_variable jobReady_;
  std::deque<Job> jobs_;
  std::map<std::uint32_t, std::size_t> busy_;  // workers per address
  std::set<int> serving_;                      // the workers' sockets, to end them on stop()
  std::vector<Returned> returned_;
  std::atomic<bool> stopping_{false};
  Fd wakeRead_, wakeWrite_;
  std::vector<std::thread> workers_;
};

}  // namespace pellora::tessaron
