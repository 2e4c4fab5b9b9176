// The HTTP client against broken and hostile servers: unreadable lengths,
// endless bodies, cookie floods, servers that stop reading or never answer,
// and status lines that cannot be shown.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "exchange/cookie_jar.h"
#include "exchange/http_answer.h"
#include "exchange/http_client.h"
#include "exchange/id_antifreeze.h"
#include "exchange/id_exceptions.h"
#include "exchange/request_watch.h"
#include "support/fake_platform.h"
#include "support/http_test_server.h"

namespace pellora::exchange {
namespace {

using test::awaitGate;
using test::Gate;
using test::readRequest;
using test::ScriptedServer;
using test::sendBytes;

// The head once, then body bytes for ever (or `bodyBytes` of them, then the end).
class EndlessSource : public ByteSource {
 public:
  EndlessSource(std::string head, std::int64_t bodyBytes = -1)
      : head_(std::move(head)), left_(bodyBytes) {}
  std::size_t receive(char* buffer, std::size_t capacity) override {
    if (!head_.empty()) {
      const std::size_t n = std::min(capacity, head_.size());
      head_.copy(buffer, n);
      head_.erase(0, n);
      return n;
    }
    std::size_t n = capacity;
    if (left_ >= 0) n = static_cast<std::size_t>(std::min<std::int64_t>(left_, n));
    if (left_ >= 0) left_ -= static_cast<std::int64_t>(n);
    std::fill(buffer, buffer + n, 'x');
    taken += n;
    return n;
  }
  std::size_t taken = 0;  // body bytes handed out

 private:
  std::string head_;
  std::int64_t left_;
};

struct Outcome {
  std::string body;
  std::string failure;  // empty: no failure
  std::size_t heldAtFailure = 0;
};

Outcome read(EndlessSource& source, std::int64_t limit) {
  HttpInput input(source);
  WorkMeter meter;
  BodyBuffer sink;
  Outcome out;
  try {
    const HttpAnswerHead head = readAnswerHead(input);
    readAnswerBody(input, head, sink, meter, limit);
    out.body = sink.take();
  } catch (const EIdException& failure) {
    out.failure = failure.what();
    out.heldAtFailure = sink.size();
  }
  return out;
}

TEST(HostileAnswer, UnreadableContentLengthFailsInsteadOfReadingAnEmptyBody) {
  const std::string unreadable =
      "The server's answer has an unreadable Content-Length; it was not taken.";
  struct Row {
    const char* lengthLine;
    const char* failure;  // empty: read
    const char* body;
  };
  const Row rows[] = {
      {"Content-Length: -1", unreadable.c_str(), ""},
      {"Content-Length: -9223372036854775808", unreadable.c_str(), ""},
      {"Content-Length: 18446744073709551616", unreadable.c_str(), ""},
      {"Content-Length: 99999999999999999999999", unreadable.c_str(), ""},
      {"Content-Length: five", unreadable.c_str(), ""},
      {"Content-Length: 3, 3", unreadable.c_str(), ""},
      {"Content-Length:", unreadable.c_str(), ""},
      // Still read as they were: a zero length, and chunks whatever the length says.
      {"Content-Length: 0", "", ""},
      {"Content-Length: -1\r\nTransfer-Encoding: chunked", "", "abc"},
  };
  for (const Row& row : rows) {
    const bool chunked = std::string(row.lengthLine).find("chunked") != std::string::npos;
    EndlessSource source(std::string("HTTP/1.1 200 OK\r\n") + row.lengthLine + "\r\n\r\n" +
                             (chunked ? "3\r\nabc\r\n0\r\n\r\n" : ""),
                         0);
    const Outcome out = read(source, kMaxAnswerBytes);
    EXPECT_EQ(out.failure, row.failure) << row.lengthLine;
    EXPECT_EQ(out.body, row.body) << row.lengthLine;
  }
  // An answer that never has a body stays empty, whatever its length says.
  EndlessSource noContent("HTTP/1.1 204 No Content\r\nContent-Length: -5\r\n\r\n", 0);
  EXPECT_EQ(read(noContent, kMaxAnswerBytes).failure, "");
}

TEST(HostileAnswer, BodiesBeyondTheLimitFailWithoutHoldingMoreThanIt) {
  constexpr std::int64_t kLimit = 10000;
  const std::string tooLarge = answerTooLargeMessage(kLimit);
  struct Row {
    const char* name;
    std::string head;
    std::int64_t bodyBytes;  // -1: never ends
    bool fails;
  };
  const Row rows[] = {
      {"no length, never ends", "HTTP/1.1 200 OK\r\n\r\n", -1, true},
      {"no length, one byte too many", "HTTP/1.1 200 OK\r\n\r\n", kLimit + 1, true},
      {"no length, exactly the limit", "HTTP/1.1 200 OK\r\n\r\n", kLimit, false},
      {"length beyond the limit", "HTTP/1.1 200 OK\r\nContent-Length: 10001\r\n\r\n", -1, true},
      {"length at the limit", "HTTP/1.1 200 OK\r\nContent-Length: 10000\r\n\r\n", -1, false},
      {"one huge chunk",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n7fffffffffffffff\r\n", -1, true},
      {"chunks adding up beyond the limit",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1388\r\n" + std::string(5000, 'x') +
           "\r\n1389\r\n",
       -1, true},
  };
  for (const Row& row : rows) {
    EndlessSource source(row.head, row.bodyBytes);
    const Outcome out = read(source, kLimit);
    EXPECT_EQ(out.failure, row.fails ? tooLarge : "") << row.name;
    EXPECT_LE(out.heldAtFailure, static_cast<std::size_t>(kLimit)) << row.name;
    EXPECT_LE(source.taken, static_cast<std::size_t>(kLimit) + kReceivePiece) << row.name;
    if (!row.fails) {
      EXPECT_EQ(out.body.size(), static_cast<std::size_t>(kLimit)) << row.name;
    }
  }
  EXPECT_EQ(answerTooLargeMessage(kMaxAnswerBytes),
            "The server's answer is larger than 64 MB; it was not taken.");
}

TEST(HostileAnswer, StatusLinesThatCannotBeShownBecomeReadableMessages) {
  struct Row {
    std::string line;
    std::string message;
  };
  const Row rows[] = {
      {"HTTP/1.1 404 Not Found", "HTTP/1.1 404 Not Found"},
      {"HTTP/1.1 500 Bad\tthing", "HTTP/1.1 500 Bad\tthing"},
      {std::string(1, '\0') + "HTTP/1.1 500 Oops",
       "The server answered with an unreadable status line: \"\\x00HTTP/1.1 500 Oops\""},
      {"\x1b[2J\\", "The server answered with an unreadable status line: \"\\x1B[2J\\x5C\""},
      {"", "The server answered with an unreadable status line: \"\""},
      {std::string(300, '\0'), "The server answered with an unreadable status line: \"" +
                                   [] {
                                     std::string s;
                                     for (int i = 0; i < 200; ++i) s += "\\x00";
                                     return s;
                                   }() +
                                   "...\""},
  };
  for (const Row& row : rows) EXPECT_EQ(statusLineMessage(row.line), row.message);
}

TEST(HostileCookies, TheStoreKeepsTheNewestWithinBrowserLimits) {
  const HttpUrl url = parseHttpUrl("http://a.example.com/t/x.html");
  const std::time_t now = 1000;
  CookieJar jar;
  // 900 cookies of 4 KB from one server: only the newest 50 stay.
  const std::string value(4096 - 5, 'v');  // with the name: 4096 bytes
  for (int i = 0; i < 900; ++i) jar.store("c" + std::to_string(1000 + i) + "=" + value, url, now);
  ASSERT_EQ(jar.cookies().size(), kMaxCookiesPerDomain);
  EXPECT_EQ(jar.cookies().front().name, "c1850");
  EXPECT_EQ(jar.cookies().back().name, "c1899");
  EXPECT_LE(jar.cookieHeader(url).size(), kMaxCookiesPerDomain * (kMaxCookieBytes + 3));

  // A cookie beyond 4096 bytes of name and value is refused outright.
  jar.store("big=" + std::string(4094, 'v'), url, now);
  EXPECT_EQ(jar.cookies().back().name, "c1899");
  jar.store("fit=" + std::string(4093, 'v'), url, now);
  EXPECT_EQ(jar.cookies().back().name, "fit");

  // Across domains the store holds 3000, dropping the oldest first.
  CookieJar many;
  for (int d = 0; d < 70; ++d) {
    const HttpUrl site = parseHttpUrl("http://h" + std::to_string(d) + ".example.com/");
    for (int i = 0; i < 50; ++i) many.store("n" + std::to_string(i) + "=1", site, now);
  }
  ASSERT_EQ(many.cookies().size(), kMaxCookies);
  EXPECT_EQ(many.cookies().front().domain, "h10.example.com");
  EXPECT_EQ(many.cookies().back().domain, "h69.example.com");
}

TEST(HostileCookies, AFloodOfCookiesLeavesLaterRequestsABoundedHeader) {
  std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n";
  for (int i = 0; i < 900; ++i) {
    head +=
        "Set-Cookie: c" + std::to_string(1000 + i) + "=" + std::string(4090, 'v') + "; Path=/\r\n";
  }
  ScriptedServer server({{readRequest(), sendBytes(head + "\r\nhi")},
                         {readRequest(), sendBytes("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n"
                                                   "Connection: close\r\n\r\nOK")}});
  TIdHTTP http;
  EXPECT_EQ(http.Get(server.url("/t/contents/a.html")), "hi");
  std::string response;
  http.Post(server.url("/t/edit.php"), std::vector<std::string>{"a=1"}, response);
  EXPECT_EQ(response, "OK");
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  const std::string& post = requests[1];
  EXPECT_LT(post.size(), kMaxCookiesPerDomain * (kMaxCookieBytes + 3) + 1024);
  EXPECT_EQ(post.find("c1849="), std::string::npos) << "the oldest are dropped";
  EXPECT_NE(post.find("c1899="), std::string::npos) << "the newest are sent";
}

TEST(HostileServer, ClientFailsOnUnreadableLengthsEndlessBodiesAndBadStatusLines) {
  const std::string unreadable =
      "The server's answer has an unreadable Content-Length; it was not taken.";
  struct Row {
    const char* name;
    std::string answer;  // the server sends it and then keeps the connection open
    std::int64_t limit;
    std::string failure;
    bool keepsConnection = false;  // a complete answer on a kept-alive connection
  };
  const Row rows[] = {
      {"negative length", "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\nabc", kMaxAnswerBytes,
       unreadable},
      {"overflowing length", "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n",
       kMaxAnswerBytes, unreadable},
      {"no length and no close", "HTTP/1.1 200 OK\r\n\r\n" + std::string(5000, 'x'), 4096,
       answerTooLargeMessage(4096)},
      {"a 2^63-byte chunk",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n7fffffffffffffff\r\n", kMaxAnswerBytes,
       answerTooLargeMessage(kMaxAnswerBytes)},
      {"NUL before the status line",
       std::string(1, '\0') + "HTTP/1.1 500 Oops\r\nContent-Length: 0\r\n\r\n", kMaxAnswerBytes,
       "The server answered with an unreadable status line: \"\\x00HTTP/1.1 500 Oops\"", true},
  };
  for (const Row& row : rows) {
    Gate never;
    ScriptedServer server({{readRequest(), sendBytes(row.answer), awaitGate(never)}});
    TIdHTTP http;
    http.setAnswerLimitForTest(row.limit);
    std::string failure = "<no failure>";
    try {
      http.Get(server.url("/x"));
    } catch (const EIdException& e) {
      failure = e.what();
    }
    EXPECT_EQ(failure, row.failure) << row.name;
    EXPECT_EQ(http.Connected(), row.keepsConnection) << row.name;
  }
}

TEST(RequestWatch, CancelsOnlyARunningRequestThatHasMovedNothingForTheQuietTime) {
  using namespace std::chrono_literals;
  test::FakePump pump;
  TIdAntiFreeze guard(pump);
  RequestWatch watch(TIdAntiFreeze::waitGuard());
  const RequestWatch::Clock::time_point t0{};
  EXPECT_FALSE(watch.cancelIfQuiet(t0 + 1h, 30000, "x")) << "no request running";
  watch.start(t0);
  watch.moved(t0 + 20s);
  EXPECT_FALSE(watch.cancelIfQuiet(t0 + 49s, 30000, "x")) << "data moved 29 s ago";
  EXPECT_NO_THROW(watch.idle());
  EXPECT_TRUE(watch.cancelIfQuiet(t0 + 50s, 30000, "gave up"));
  try {
    watch.idle();
    ADD_FAILURE() << "a cancelled request waits no longer";
  } catch (const EIdRequestCancelled& cancelled) {
    EXPECT_STREQ(cancelled.what(), "gave up");
  }
  EXPECT_EQ(pump.calls, 2) << "the window was serviced in both slices";
  watch.finish();
  EXPECT_NO_THROW(watch.idle()) << "a finished request is not cancelled";
  watch.start(t0 + 60s);
  EXPECT_NO_THROW(watch.idle()) << "a new request starts uncancelled";
}

TEST(HostileServer, ACloseCancelsAGetTheServerNeverAnswers) {
  using namespace std::chrono_literals;
  Gate never;
  ScriptedServer server({{readRequest(), awaitGate(never)}});
  test::FakePump pump;
  TIdAntiFreeze guard(pump);
  guard.IdleTimeOut = 1;
  TIdHTTP http;
  RequestWatch::Clock::time_point clock{};
  http.setQuietCancelForTest(kQuietCancelMs, [&] { return clock; });
  std::vector<bool> cancelled;
  pump.onPump = [&] {
    // Each pumped slice is a "Close" from the user, with the clock moved on.
    clock += 10s;
    cancelled.push_back(http.CancelIfQuiet());
  };
  std::string failure;
  try {
    http.Get(server.url("/x"));
  } catch (const EIdRequestCancelled& e) {
    failure = e.what();
  }
  EXPECT_EQ(failure, "The request was cancelled: the server had not responded for 30 seconds.");
  // Only the Close 30 s after the request last moved data cancels it.
  ASSERT_GE(cancelled.size(), 3u);
  EXPECT_TRUE(cancelled.back());
  EXPECT_FALSE(cancelled[cancelled.size() - 2]);
  EXPECT_FALSE(cancelled[cancelled.size() - 3]);
  EXPECT_FALSE(http.Connected());
  EXPECT_FALSE(http.CancelIfQuiet()) << "nothing left to cancel";
}

TEST(HostileServer, ACloseCancelsAGetTheServerTricklesOrNeverFinishes) {
  using namespace std::chrono_literals;
  struct Row {
    const char* name;
    RequestWatch::Clock::duration step;  // clock moved on per pumped slice
    std::size_t piece;                   // bytes the server sends per slice
    std::string failure;                 // start of the message
  };
  const Row rows[] = {
      {"a byte a second", 1s, 1, "The request was cancelled: it had moved only "},
      {"fast enough, for ever", 10s, 32 * 1024,
       "The request was cancelled: it had not finished within 10 minutes."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    // Every piece waits for a pumped slice, so the test's clock decides the rate.
    constexpr std::size_t kPieces = 90;
    std::vector<Gate> gates(kPieces);
    test::ConnectionScript script = {
        readRequest(), sendBytes("HTTP/1.1 200 OK\r\nContent-Length: " +
                                 std::to_string(kPieces * row.piece + 1) + "\r\n\r\n")};
    for (Gate& gate : gates) {
      script.push_back(awaitGate(gate));
      script.push_back(sendBytes(std::string(row.piece, 'x')));
    }
    script.push_back(sendBytes("x"));  // the whole answer, for a client that never gives up
    ScriptedServer server({script});
    test::FakePump pump;
    TIdAntiFreeze guard(pump);
    guard.IdleTimeOut = 1;
    TIdHTTP http;
    RequestWatch::Clock::time_point clock{};
    http.setQuietCancelForTest(kQuietCancelMs, [&] { return clock; });
    std::size_t opened = 0;
    RequestWatch::Clock::duration cancelledAt{};
    pump.onPump = [&] {
      // The clock moves on only once the body has begun (a piece arriving
      // with the head would not be counted) and the piece asked for last
      // has arrived.
      if (http.workMeter().level(wmRead) == 0 ||
          http.workMeter().count(wmRead) < static_cast<std::int64_t>(opened * row.piece)) {
        return;
      }
      clock += row.step;
      if (http.CancelIfQuiet() && cancelledAt == RequestWatch::Clock::duration{}) {
        cancelledAt = clock - RequestWatch::Clock::time_point{};
      }
      if (opened < gates.size()) gates[opened++].open();
    };
    std::string failure = "<no failure>";
    try {
      http.Get(server.url("/x"));
    } catch (const EIdRequestCancelled& e) {
      failure = e.what();
    }
    EXPECT_EQ(failure.substr(0, row.failure.size()), row.failure);
    EXPECT_LE(cancelledAt, 10min + row.step) << "no later than its limit";
    EXPECT_FALSE(http.Connected());
  }
}

TEST(HostileServer, ASaveToAServerThatStopsReadingKeepsTheWindowServicedAndCanBeCancelled) {
  Gate never;
  ScriptedServer server({{awaitGate(never)}});  // accepts, never reads
  test::FakePump pump;
  TIdAntiFreeze guard(pump);
  guard.IdleTimeOut = 1;
  TIdHTTP http;
  http.setQuietCancelForTest(0);
  int pumpedWhileSending = 0;
  pump.onPump = [&] {
    if (http.workMeter().level(wmWrite) == 0) return;  // not (yet) sending
    ++pumpedWhileSending;
    http.CancelIfQuiet();
  };
  // More than loopback buffers take, so the send has to wait.
  const std::string body(64 * 1024 * 1024, 'b');
  std::string response;
  std::string failure;
  try {
    http.Post(server.url("/edit.php"), body, response);
  } catch (const EIdRequestCancelled& e) {
    failure = e.what();
  }
  EXPECT_EQ(failure, "The request was cancelled: the server had not responded for 0 seconds.");
  EXPECT_EQ(pumpedWhileSending, 1) << "the blocked send serviced the window";
  EXPECT_FALSE(http.Connected());
}

TEST(HostileServer, TheReadTimeOutLimitsAWriteTheServerNeverTakes) {
  Gate never;
  ScriptedServer server({{awaitGate(never)}});
  TIdHTTP http;
  http.ReadTimeout = 1;
  const std::string body(64 * 1024 * 1024, 'b');
  std::string response;
  EXPECT_THROW(http.Post(server.url("/edit.php"), body, response), EIdWriteTimeout);
  EXPECT_EQ(http.ProtocolVersion, pv1_1);
}

}  // namespace
}  // namespace pellora::exchange
