// Large bodies in both directions: every byte arrives as it was, and the
// progress events still count up by what moved, in steps a bar can show.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "exchange/http_client.h"
#include "exchange/http_input.h"
#include "support/http_test_server.h"

namespace pellora::exchange {
namespace {

using test::readRequest;
using test::ScriptedServer;
using test::sendBytes;

// Every byte value, in a pattern that does not repeat at any piece size.
std::string patterned(std::size_t size) {
  std::string text(size, '\0');
  for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>((i * 7919 + i / 251) & 0xFF);
  return text;
}

struct Counts {
  std::int64_t announced = -1;
  std::vector<std::int64_t> counts;
  int ends = 0;
};

void record(TIdHTTP& http, TWorkMode mode, Counts& into) {
  http.OnWorkBegin = [&into, mode](TIdHTTP&, TWorkMode m, std::int64_t max) {
    if (m == mode) into.announced = max;
  };
  http.OnWork = [&into, mode](TIdHTTP&, TWorkMode m, std::int64_t count) {
    if (m == mode) into.counts.push_back(count);
  };
  http.OnWorkEnd = [&into, mode](TIdHTTP&, TWorkMode m) {
    if (m == mode) ++into.ends;
  };
}

// The count rises with every event and ends at what moved during the
// phase: the size, less what came in with the head (at most one first
// piece); there are enough steps for a bar to move, and not one per small
// piece.
void expectSteps(const Counts& log, std::size_t size, std::size_t withHead, std::size_t fewest,
                 std::size_t most) {
  EXPECT_EQ(log.ends, 1);
  ASSERT_FALSE(log.counts.empty());
  EXPECT_LE(log.counts.back(), static_cast<std::int64_t>(size));
  EXPECT_GE(log.counts.back(), static_cast<std::int64_t>(size - withHead));
  for (std::size_t i = 1; i < log.counts.size(); ++i) {
    EXPECT_LT(log.counts[i - 1], log.counts[i]) << "event " << i;
  }
  EXPECT_GE(log.counts.size(), fewest);
  EXPECT_LE(log.counts.size(), most);
}

TEST(HttpClientLargeTransfer, PostOfSeveralMegabytesGoesOutWholeInFewerLargerSteps) {
  const std::string body = patterned(3 * 1024 * 1024 + 17);
  ScriptedServer server(
      {{readRequest(), sendBytes("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nOK")}});
  TIdHTTP http;
  Counts sent;
  record(http, wmWrite, sent);
  std::string response;
  http.Post(server.url("/edit.php"), body, response);
  EXPECT_EQ(response, "OK");

  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  ASSERT_GE(requests[0].size(), body.size());
  EXPECT_TRUE(requests[0].compare(requests[0].size() - body.size(), body.size(), body) == 0);
  // 4 KiB pieces would be 769 steps.
  EXPECT_EQ(sent.announced, static_cast<std::int64_t>(body.size()));
  expectSteps(sent, body.size(), 0, 16, 65);
}

TEST(HttpClientLargeTransfer, GetOfSeveralMegabytesArrivesWholeWithRisingCounts) {
  for (const bool announced : {true, false}) {
    SCOPED_TRACE(announced ? "with Content-Length" : "to the close");
    const std::string body = patterned(5 * 1024 * 1024 + 3);
    const std::string head =
        announced ? "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n"
                  : "HTTP/1.0 200 OK\r\n\r\n";
    ScriptedServer server({{readRequest(), sendBytes(head + body), test::closeConnection()}});
    TIdHTTP http;
    Counts received;
    record(http, wmRead, received);
    EXPECT_EQ(http.Get(server.url("/big.html")), body);
    EXPECT_EQ(received.announced, announced ? static_cast<std::int64_t>(body.size()) : 0);
    expectSteps(received, body.size(), kReceivePiece, 1, body.size() / kReceivePiece + 2);
  }
}

}  // namespace
}  // namespace pellora::exchange
