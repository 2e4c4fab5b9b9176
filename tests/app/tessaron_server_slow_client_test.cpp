// The bundled Tessaron server against clients that trickle, stay silent or
// open many connections: each request has one deadline for its head and
// body, one client address holds a bounded number of connections, and
// everyone else is served meanwhile. Connections come from several loopback
// addresses (127.0.0.0/8 all reach the server) to stand for several clients.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/tessaron_server/content_store.h"
#include "app/tessaron_server/fd.h"
#include "app/tessaron_server/listener.h"
#include "app/tessaron_server/request_reader.h"
#include "app/tessaron_server/server_loop.h"
#include "app/tessaron_server/server_options.h"
#include "loopback_client.h"
#include "support/temp_dir.h"

namespace pellora::tessaron {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using ReaderState = RequestReader::State;

// ---- gathering a request from pieces --------------------------------------

TEST(RequestReader, PiecesOfAnySizeGiveTheSameRequests) {
  const std::string save = "POST /t/edit.php HTTP/1.1\r\nContent-Length: 11\r\n\r\ncontent=a&x";
  const std::string get = "GET /t/contents/a.html HTTP/1.1\r\n\r\n";
  const std::string wire = save + get + save;
  for (const std::size_t piece : {1u, 2u, 7u, 50u, 1000u}) {
    RequestReader reader(RequestLimits{});
    std::vector<HttpRequest> requests;
    for (std::size_t at = 0; at < wire.size(); at += piece) {
      reader.feed(std::string_view(wire).substr(at, piece));
      while (reader.state() == ReaderState::Complete) requests.push_back(reader.take());
      ASSERT_NE(reader.state(), ReaderState::Failed);
    }
    ASSERT_EQ(requests.size(), 3u) << piece;
    EXPECT_EQ(requests[0].body, "content=a&x");
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ(requests[1].body, "");
    EXPECT_EQ(requests[2].body, "content=a&x");
    EXPECT_EQ(reader.state(), ReaderState::Empty);
  }
}

TEST(RequestReader, BrokenHeadsFailAndContinueIsAwaitedOnlyBeforeTheBody) {
  struct Case {
    std::string bytes;
    int status;
  } failures[] = {
      {"BROKEN\r\n\r\n", 400},
      {"POST / HTTP/1.1\r\nContent-Length: 2000\r\n\r\n", 413},
      {"GET / HTTP/1.1\r\nX: " + std::string(2000, 'x'), 431},
  };
  RequestLimits limits;
  limits.maxBodyBytes = 1000;
  limits.maxHeadBytes = 1000;
  for (const auto& c : failures) {
    RequestReader reader(limits);
    reader.feed(c.bytes);
    EXPECT_EQ(reader.state(), ReaderState::Failed) << c.bytes;
    EXPECT_EQ(reader.failureStatus(), c.status) << c.bytes;
  }
  RequestReader reader(limits);
  reader.feed("POST / HTTP/1.1\r\nExpect: 100-continue\r\nContent-Length: 3\r\n");
  EXPECT_EQ(reader.state(), ReaderState::Partial);
  EXPECT_FALSE(reader.awaitsContinue()) << "the head is not complete yet";
  reader.feed("\r\n");
  EXPECT_TRUE(reader.awaitsContinue());
  reader.feed("a");
  EXPECT_FALSE(reader.awaitsContinue());
  reader.feed("bc");
  ASSERT_EQ(reader.state(), ReaderState::Complete);
  EXPECT_EQ(reader.take().body, "abc");
}

TEST(SlowClientOptions, DeadlineAndPerAddressLimitComeFromTheCommandLine) {
  const auto parsed = parseServerOptions(
      {"--root", "r", "--token", "t", "--request-timeout", "5", "--per-address", "4"});
  ASSERT_TRUE(std::holds_alternative<ServerOptions>(parsed));
  EXPECT_EQ(std::get<ServerOptions>(parsed).requestTimeoutSeconds, 5);
  EXPECT_EQ(std::get<ServerOptions>(parsed).connectionsPerAddress, 4);
  const auto defaults =
      std::get<ServerOptions>(parseServerOptions({"--root", "r", "--token", "t"}));
  EXPECT_EQ(defaults.requestTimeoutSeconds, 60);
  EXPECT_EQ(defaults.connectionsPerAddress, 32);
  for (const char* bad : {"0", "-1", "x"}) {
    EXPECT_TRUE(std::holds_alternative<std::string>(
        parseServerOptions({"--root", "r", "--token", "t", "--request-timeout", bad})));
    EXPECT_TRUE(std::holds_alternative<std::string>(
        parseServerOptions({"--root", "r", "--token", "t", "--per-address", bad})));
  }
}

// ---- whole connections ------------------------------------------------------

const std::string kGet = "GET /t/contents/a.html HTTP/1.1\r\nHost: h\r\n\r\n";
// A save's head that announces a body and waits for "100 Continue": once
// that arrives, the server holds the request as begun.
const std::string kBegunSave =
    "POST /t/edit.php HTTP/1.1\r\nExpect: 100-continue\r\nContent-Length: 100\r\n\r\n";

class SlowClientTest : public ::testing::Test {
 protected:
  void start(milliseconds requestTimeout, std::size_t perAddress,
             milliseconds idleTimeout = milliseconds(10000)) {
    pellora::test::writeFile(folder.path() / "a.html", "<P>a</P>");
    listener = std::make_unique<Listener>("127.0.0.1", 0);
    store = std::make_unique<DiskContentStore>(folder.path());
    ConnectionSettings settings;
    settings.site = {"/t", "T0k"};
    settings.requestTimeout = requestTimeout;
    settings.idleTimeout = idleTimeout;
    settings.maxConnectionsPerAddress = perAddress;
    server = std::make_unique<Server>(*listener, settings, *store);
    thread = std::thread([this] { server->run(); });
  }
  void TearDown() override {
    if (!server) return;
    server->stop();
    thread.join();
  }

  // A connection from 127.0.0.<host>.
  Fd connectFrom(int host) const { return test::connectFromLoopback(host, listener->port()); }
  static void send(const Fd& fd, std::string_view bytes) {
    ASSERT_EQ(::send(fd.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(bytes.size()));
  }
  // What arrives within `limit`, up to the end of the first answer's head
  // (or of its body when it has a Content-Length) or the connection's end.
  static std::string receive(const Fd& fd, milliseconds limit) {
    std::string all;
    const auto until = Clock::now() + limit;
    char piece[4096];
    while (true) {
      const std::size_t end = all.find("\r\n\r\n");
      if (end != std::string::npos) {
        const std::size_t length = all.find("Content-Length: ");
        if (length == std::string::npos || length > end ||
            all.size() >= end + 4 + std::stoul(all.substr(length + 16))) {
          return all;
        }
      }
      const auto left = std::chrono::duration_cast<milliseconds>(until - Clock::now()).count();
      pollfd entry{fd.get(), POLLIN, 0};
      if (left <= 0 || ::poll(&entry, 1, static_cast<int>(left)) <= 0) return all;
      const ssize_t n = ::recv(fd.get(), piece, sizeof piece, 0);
      if (n <= 0) return all;
      all.append(piece, static_cast<std::size_t>(n));
    }
  }
  static std::string statusLine(const std::string& answer) {
    return answer.substr(0, answer.find("\r\n"));
  }
  // True when the server closed the connection (or sent something).
  static bool ended(const Fd& fd) {
    pollfd entry{fd.get(), POLLIN, 0};
    return ::poll(&entry, 1, 0) > 0;
  }
  // A normal client's GET, answered within a second.
  void expectGetServedWithinASecond() {
    const Fd fd = connectFrom(1);
    send(fd, kGet);
    const std::string answer = receive(fd, milliseconds(1000));
    EXPECT_EQ(statusLine(answer), "HTTP/1.1 200 OK");
    EXPECT_EQ(answer.substr(answer.find("\r\n\r\n") + 4), "<P>a</P>");
  }

  pellora::test::TempDir folder;
  std::unique_ptr<Listener> listener;
  std::unique_ptr<DiskContentStore> store;
  std::unique_ptr<Server> server;
  std::thread thread;
};

// Sends `request` a byte at a time, pausing `pause` between bytes, until the
// server answers; the answer (empty when `limit` passed first).
std::string trickle(const Fd& fd, const std::string& request, milliseconds pause,
                    milliseconds limit) {
  const auto until = Clock::now() + limit;
  for (std::size_t at = 0; Clock::now() < until; ++at) {
    pollfd entry{fd.get(), POLLIN, 0};
    if (::poll(&entry, 1, static_cast<int>(pause.count())) > 0) {
      char piece[4096];
      const ssize_t n = ::recv(fd.get(), piece, sizeof piece, 0);
      return n > 0 ? std::string(piece, static_cast<std::size_t>(n)) : std::string();
    }
    if (at < request.size()) {
      ::send(fd.get(), request.data() + at, 1, MSG_NOSIGNAL);
    }
  }
  return {};
}

TEST_F(SlowClientTest, ATrickledHeadOrBodyIsCutOffByTheRequestDeadline) {
  // Every byte comes well within the idle time-out (10 s); only the deadline
  // for the request as a whole (300 ms) can end them.
  start(milliseconds(300), 32);
  const std::string longHead =
      "GET /t/contents/a.html HTTP/1.1\r\nX-Padding: " + std::string(500, 'p') + "\r\n\r\n";
  const std::string slowBody =
      "POST /t/edit.php HTTP/1.1\r\nContent-Type: application/x-www-form-urlencoded\r\n"
      "Content-Length: 500\r\n\r\n";
  {
    const Fd fd = connectFrom(2);
    const std::string answer = trickle(fd, longHead, milliseconds(20), milliseconds(5000));
    EXPECT_EQ(statusLine(answer), "HTTP/1.1 408 Request Timeout");
  }
  {
    const Fd fd = connectFrom(2);
    send(fd, slowBody);
    const std::string answer =
        trickle(fd, std::string(500, 'x'), milliseconds(20), milliseconds(5000));
    EXPECT_EQ(statusLine(answer), "HTTP/1.1 408 Request Timeout");
  }
  expectGetServedWithinASecond();
}

TEST_F(SlowClientTest, FiveHundredSlowOrIdleConnectionsDoNotDelayANormalGet) {
  rlimit files{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &files), 0);
  files.rlim_cur = std::min<rlim_t>(files.rlim_max, 4096);
  ::setrlimit(RLIMIT_NOFILE, &files);
  if (files.rlim_cur < 1200) GTEST_SKIP() << "too few descriptors for 500 connections";

  // 500 clients on 63 addresses, 8 each, within the limit: every other one
  // has begun a request and sends no more, the rest never send anything.
  start(milliseconds(10000), 8);
  std::vector<Fd> slow, idle;
  for (int i = 0; i < 500; ++i) {
    Fd fd = connectFrom(2 + i / 8);
    if (i % 2 == 0) {
      send(fd, kBegunSave);
      slow.push_back(std::move(fd));
    } else {
      idle.push_back(std::move(fd));
    }
  }
  for (const Fd& fd : slow) {
    ASSERT_EQ(statusLine(receive(fd, milliseconds(5000))), "HTTP/1.1 100 Continue");
  }
  expectGetServedWithinASecond();
  for (const Fd& fd : idle) EXPECT_FALSE(ended(fd)) << "the idle ones are still held";

  // A begun save that is finished in time is still served.
  send(slow.front(), std::string(100, 'x'));
  EXPECT_EQ(statusLine(receive(slow.front(), milliseconds(5000))), "HTTP/1.1 200 OK");
}

TEST_F(SlowClientTest, ClientsThatReadNothingOfALargeFileLeaveWorkersForOtherAddresses) {
  // More than loopback buffers hold, so every send of it stalls.
  constexpr std::size_t kLarge = 12 << 20;
  pellora::test::writeFile(folder.path() / "big.html", std::string(kLarge, 'b'));
  start(milliseconds(10000), kWorkers);
  // As many connections as there are workers, from one address, each
  // asking for the large file and reading none of it.
  std::vector<Fd> stalled;
  for (int i = 0; i < kWorkers; ++i) {
    stalled.push_back(connectFrom(2));
    send(stalled.back(), "GET /t/contents/big.html HTTP/1.1\r\nHost: h\r\n\r\n");
  }
  // Some have reached a worker: their answers have begun.
  std::vector<pollfd> entries;
  for (const Fd& fd : stalled) entries.push_back({fd.get(), POLLIN, 0});
  ASSERT_GT(::poll(entries.data(), entries.size(), 5000), 0);
  expectGetServedWithinASecond();
  expectGetServedWithinASecond();
  // A begun answer streams the whole file to a client that reads.
  const auto begun = std::find_if(entries.begin(), entries.end(),
                                  [](const pollfd& entry) { return entry.revents != 0; });
  std::size_t received = 0;
  char piece[65536];
  while (received <= kLarge) {
    pollfd entry{begun->fd, POLLIN, 0};
    if (::poll(&entry, 1, 5000) <= 0) break;
    const ssize_t n = ::recv(begun->fd, piece, sizeof piece, 0);
    if (n <= 0) break;
    received += static_cast<std::size_t>(n);
  }
  EXPECT_GT(received, kLarge) << "head and the whole file";
}

TEST_F(SlowClientTest, OneAddressBeyondItsLimitLosesItsIdleConnectionsOrIsRefused) {
  start(milliseconds(10000), 4);
  // Idle connections beyond the limit: the longest idle one makes room, so
  // a client that opens 500 of them holds 4, and its new request is served.
  std::vector<Fd> idle;
  for (int i = 0; i < 500; ++i) idle.push_back(connectFrom(1));
  expectGetServedWithinASecond();
  int open = 0;
  for (const Fd& fd : idle) {
    if (!ended(fd))
      ++open;
    else
      EXPECT_EQ(receive(fd, milliseconds(1000)), "") << "closed without an answer";
  }
  EXPECT_LE(open, 4);
  EXPECT_TRUE(ended(idle.front())) << "the longest idle one went first";

  // Four begun requests hold the limit of 127.0.0.3: a fifth connection
  // from there is refused, other addresses are served.
  std::vector<Fd> begun;
  for (int i = 0; i < 4; ++i) {
    begun.push_back(connectFrom(3));
    send(begun.back(), kBegunSave);
    ASSERT_EQ(statusLine(receive(begun.back(), milliseconds(5000))), "HTTP/1.1 100 Continue");
  }
  const Fd refused = connectFrom(3);
  EXPECT_EQ(statusLine(receive(refused, milliseconds(5000))), "HTTP/1.1 503 Service Unavailable");
  expectGetServedWithinASecond();
  for (const Fd& fd : begun) EXPECT_FALSE(ended(fd)) << "begun requests are not cut off";
}

}  // namespace
}  // namespace pellora::tessaron
