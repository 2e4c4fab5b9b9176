// Covered by tests/app/tessaron_server_slow_client_test.cpp,
// tests/app/tessaron_server_test.cpp (Served*) and
// tests/app/integration_test.cpp.
#include "app/tessaron_server/server_loop.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace pellora::tessaron {

namespace {

// How long, and how much, a connection whose last answer went is read and
// dropped while the client finishes.
constexpr std::chrono::seconds kDrainTime{2};
constexpr std::size_t kDrainBytes = 1 << 20;

// Descriptors kept free for files, the workers' saves and the like.
constexpr std::size_t kSpareDescriptors = 64;

std::size_t openLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 4096;
  const auto descriptors = static_cast<std::size_t>(limit.rlim_cur);
  return descriptors > 2 * kSpareDescriptors ? descriptors - kSpareDescriptors : descriptors / 2;
}

}  // namespace

ServerLoop::ServerLoop(int listenFd, ConnectionSettings settings, ContentStore& store)
    : listenFd_(listenFd),
      settings_(std::move(settings)),
      store_(store),
      maxOpen_(openLimit()),
      intake_(settings_.intake, settings_.site) {
  ::fcntl(listenFd_, F_SETFL, ::fcntl(listenFd_, F_GETFL) | O_NONBLOCK);
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
  }
  wakeRead_ = Fd(ends[0]);
  wakeWrite_ = Fd(ends[1]);
  try {
    for (int i = 0; i < kWorkers; ++i) workers_.emplace_back([this] { work(); });
  } catch (...) {
    stop();
    for (auto& worker : workers_) worker.join();
    throw;
  }
}

ServerLoop::~ServerLoop() {
  stop();
  for (auto& worker : workers_) worker.join();
}

void ServerLoop::stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    // A worker in a send to a client that reads nothing ends now, not at
    // its time-out.
    for (const int fd : serving_) ::shutdown(fd, SHUT_RDWR);
  }
  jobReady_.notify_all();
  wake();
}

void ServerLoop::wake() {
  const char byte = 0;
  [[maybe_unused]] const auto ignored = ::write(wakeWrite_.get(), &byte, 1);
}

std::deque<ServerLoop::Job>::iterator ServerLoop::nextJob() {
  auto best = jobs_.end();
  std::size_t fewest = settings_.maxBusyWorkersPerAddress;
  for (auto it = jobs_.begin(); it != jobs_.end(); ++it) {
    const auto found = busy_.find(it->client->address);
    const std::size_t busy = found == busy_.end() ? 0 : found->second;
    if (busy < fewest) {
      best = it;
      fewest = busy;
      if (busy == 0) break;
    }
  }
  return best;
}

void ServerLoop::work() {
  while (true) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      auto next = jobs_.end();
      jobReady_.wait(lock, [&] {
        if (stopping_) return true;
        next = nextJob();
        return next != jobs_.end();
      });
      if (stopping_) return;
      job = std::move(*next);
      jobs_.erase(next);
      ++busy_[job.client->address];
      serving_.insert(job.client->socket.get());
    }
    AfterAnswer after = AfterAnswer::Close;
    try {
      after = answerRequest(job.client->socket.get(), std::move(job.request), settings_, store_);
    } catch (const std::exception&) {
      // Out of memory or the like: this connection ends, the server goes on.
    }
    {
      std::lock_guard lock(mutex_);
      if (const auto it = busy_.find(job.client->address); it != busy_.end() && --it->second == 0) {
        busy_.erase(it);
      }
      serving_.erase(job.client->socket.get());
      returned_.push_back({std::move(job.client), after});
    }
    // A request its address's limit held back may go now.
    jobReady_.notify_all();
    wake();
  }
}

void ServerLoop::run() {
  std::vector<pollfd> entries;
  std::vector<std::uint64_t> ids;
  char drop[256];
  while (!stopping_) {
    Clock::time_point now = Clock::now();
    takeReturned(now);
    expire(now);
    const bool accepting = now >= acceptPausedUntil_;
    entries.assign({{accepting ? listenFd_ : -1, POLLIN, 0}, {wakeRead_.get(), POLLIN, 0}});
    ids.clear();
    Clock::time_point next = accepting ? Clock::time_point::max() : acceptPausedUntil_;
    for (const auto& [id, client] : held_) {
      entries.push_back({client->socket.get(), POLLIN, 0});
      ids.push_back(id);
      next = std::min(next, deadlineOf(*client));
    }
    int timeout = -1;
    if (next != Clock::time_point::max()) {
      const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - now).count();
      timeout = static_cast<int>(std::clamp<std::int64_t>(wait, 0, 60000));
    }
    if (::poll(entries.data(), entries.size(), timeout) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (stopping_) return;
    now = Clock::now();
    if (entries[1].revents) {
      while (::read(wakeRead_.get(), drop, sizeof drop) > 0) {
      }
    }
    for (std::size_t i = 0; i < ids.size(); ++i) {
      if (entries[i + 2].revents) receive(ids[i], now);
    }
    if (entries[0].revents) acceptAll(now);
  }
}

void ServerLoop::acceptAll(Clock::time_point now) {
  for (int round = 0; round < 256; ++round) {
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    Fd socket(::accept4(listenFd_, reinterpret_cast<sockaddr*>(&peer), &length,
                        SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (!socket.valid()) {
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
        // Out of descriptors or memory: make room if an idle connection
        // can go, else leave the client queued for a while instead of
        // spinning.
        if (!evictIdle(nullptr)) acceptPausedUntil_ = now + std::chrono::milliseconds(100);
      }
      return;
    }
    const std::uint32_t address = ntohl(peer.sin_addr.s_addr);
    if (!admit(address)) {
      sendNow(socket.get(), failureAnswer(503));
      continue;
    }
    ++perAddress_[address];
    ++open_;
    try {
      held_.emplace(nextId_++, std::make_unique<Client>(std::move(socket), address,
                                                        settings_.limits, intake_, now));
    } catch (const std::exception&) {
      --perAddress_[address];
      --open_;
    }
  }
}

bool ServerLoop::admit(std::uint32_t address) {
  const auto it = perAddress_.find(address);
  if (it != perAddress_.end() && it->second >= settings_.maxConnectionsPerAddress &&
      !evictIdle(&address)) {
    return false;
  }
  return open_ < maxOpen_ || evictIdle(nullptr);
}

bool ServerLoop::evictIdle(const std::uint32_t* address) {
  auto oldest = held_.end();
  for (auto it = held_.begin(); it != held_.end(); ++it) {
    const Client& client = *it->second;
    if (client.draining || client.reader.state() != RequestReader::State::Empty) continue;
    if (address && client.address != *address) continue;
    if (oldest == held_.end() || client.lastHeard < oldest->second->lastHeard) oldest = it;
  }
  if (oldest == held_.end()) return false;
  close(oldest->first);
  return true;
}

void ServerLoop::receive(std::uint64_t id, Clock::time_point now) {
  const auto it = held_.find(id);
  if (it == held_.end()) return;
  Client& client = *it->second;
  char piece[65536];
  const ssize_t n = ::recv(client.socket.get(), piece, sizeof piece, 0);
  if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) return;
  if (n <= 0) {
    close(id);  // the client closed or reset its end
    return;
  }
  const auto bytes = static_cast<std::size_t>(n);
  client.lastHeard = now;
  if (client.draining) {
    client.drained += bytes;
    if (client.drained > kDrainBytes) close(id);
    return;
  }
  if (client.reader.state() == RequestReader::State::Empty) client.requestStarted = now;
  try {
    client.reader.feed(std::string_view(piece, bytes));
  } catch (const std::exception&) {
    close(id);
    return;
  }
  advance(id, now);
}

void ServerLoop::advance(std::uint64_t id, Clock::time_point now) {
  Client& client = *held_.at(id);
  switch (client.reader.state()) {
    case RequestReader::State::Failed:
    case RequestReader::State::Refused:
      fail(id, client.reader.answer(), now);
      return;
    case RequestReader::State::Complete:
      dispatch(id);
      return;
    case RequestReader::State::Partial:
      if (client.reader.awaitsContinue() && !client.continueSent) {
        client.continueSent = true;
        if (!sendNow(client.socket.get(), "HTTP/1.1 100 Continue\r\n\r\n")) close(id);
      }
      return;
    case RequestReader::State::Empty:
      return;
  }
}

void ServerLoop::fail(std::uint64_t id, int status, Clock::time_point now) {
  fail(id, errorResponse(status), now);
}

void ServerLoop::fail(std::uint64_t id, const HttpResponse& answer, Clock::time_point now) {
  Client& client = *held_.at(id);
  // An early answer is small: it goes at once or the client is not reading.
  if (!sendNow(client.socket.get(), closingAnswer(answer))) {
    close(id);
    return;
  }
  ::shutdown(client.socket.get(), SHUT_WR);
  startDraining(client, now);
}

void ServerLoop::startDraining(Client& client, Clock::time_point now) {
  client.draining = true;
  client.drainUntil = now + kDrainTime;
  client.drained = 0;
}

void ServerLoop::dispatch(std::uint64_t id) {
  const auto it = held_.find(id);
  Job job{std::move(it->second), {}};
  held_.erase(it);
  job.client->continueSent = false;
  try {
    job.request = job.client->reader.take();
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
  } catch (const std::exception&) {
    if (job.client) forget(*job.client);
    return;
  }
  jobReady_.notify_one();
}

void ServerLoop::close(std::uint64_t id) {
  const auto it = held_.find(id);
  if (it == held_.end()) return;
  forget(*it->second);
  held_.erase(it);
}

void ServerLoop::forget(const Client& client) {
  const auto it = perAddress_.find(client.address);
  if (it != perAddress_.end() && --it->second == 0) perAddress_.erase(it);
  --open_;
}

void ServerLoop::takeReturned(Clock::time_point now) {
  std::vector<Returned> returned;
  {
    std::lock_guard lock(mutex_);
    returned.swap(returned_);
  }
  for (Returned& item : returned) {
    switch (item.after) {
      case AfterAnswer::Close:
        forget(*item.client);
        break;
      case AfterAnswer::Drain:
        startDraining(*item.client, now);
        hold(std::move(item.client), now);
        break;
      case AfterAnswer::KeepOpen:
        hold(std::move(item.client), now);
        break;
    }
  }
}

void ServerLoop::hold(ClientPtr client, Clock::time_point now) {
  client->lastHeard = now;
  // Bytes that came after the answered request start the next one now.
  if (client->reader.state() != RequestReader::State::Empty) client->requestStarted = now;
  const std::uint64_t id = nextId_++;
  const bool draining = client->draining;
  held_.emplace(id, std::move(client));
  if (!draining) advance(id, now);
}

ServerLoop::Clock::time_point ServerLoop::deadlineOf(const Client& client) const {
  if (client.draining) return client.drainUntil;
  const Clock::time_point silent = client.lastHeard + settings_.idleTimeout;
  if (client.reader.state() == RequestReader::State::Empty) return silent;
  return std::min(silent, client.requestStarted + settings_.requestTimeout);
}

void ServerLoop::expire(Clock::time_point now) {
  std::vector<std::uint64_t> due;
  for (const auto& [id, client] : held_) {
    if (deadlineOf(*client) <= now) due.push_back(id);
  }
  for (const std::uint64_t id : due) {
    const Client& client = *held_.at(id);
    // Silence between requests ends a kept connection quietly; a request
    // that is not whole in time is answered.
    if (client.draining || client.reader.state() == RequestReader::State::Empty) {
      close(id);
    } else {
      fail(id, 408, now);
    }
  }
}

}  // namespace pellora::tessaron
