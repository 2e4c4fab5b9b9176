#include "exchange/http_answer.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "exchange/id_exceptions.h"

namespace pellora::exchange {
namespace {

// Hands out scripted pieces, one per receive, then reports the end.
class ScriptedSource : public ByteSource {
 public:
  explicit ScriptedSource(std::vector<std::string> pieces)
      : pieces_(pieces.begin(), pieces.end()) {}
  std::size_t receive(char* buffer, std::size_t capacity) override {
    if (pieces_.empty()) return 0;
    std::string& piece = pieces_.front();
    const std::size_t n = std::min(capacity, piece.size());
    piece.copy(buffer, n);
    piece.erase(0, n);
    if (piece.empty()) pieces_.pop_front();
    return n;
  }

 private:
  std::deque<std::string> pieces_;
};

struct Read {
  HttpAnswerHead head;
  std::string body;
  std::vector<std::string> progress;
};

Read readAll(std::vector<std::string> pieces) {
  ScriptedSource source(std::move(pieces));
  WorkMeter meter;
  Read result;
  meter.onBegin = [&](TWorkMode, std::int64_t max) {
    result.progress.push_back("begin " + std::to_string(max));
  };
  meter.onWork = [&](TWorkMode, std::int64_t n) { result.progress.push_back(std::to_string(n)); };
  meter.onEnd = [&](TWorkMode) { result.progress.push_back("end"); };
  HttpInput input(source, [&](std::size_t n) { meter.add(wmRead, static_cast<std::int64_t>(n)); });
  result.head = readAnswerHead(input);
  BodyBuffer sink;
  readAnswerBody(input, result.head, sink, meter);
  result.body = sink.take();
  return result;
}

TEST(HttpAnswer, HeadKeepsStatusLineCodeAndTrimmedHeaders) {
  const Read r = readAll(
      {"HTTP/1.1 100 Continue\r\nX: y\r\n\r\n",
       "HTTP/1.1 404 Not Found\nContent-Length:  3 \r\nno colon here\r\nEmpty:\r\n\r\nabc"});
  EXPECT_EQ(r.head.statusLine, "HTTP/1.1 404 Not Found");
  EXPECT_EQ(r.head.code, 404);
  EXPECT_EQ(r.head.header("content-length"), "3");
  EXPECT_EQ(r.head.header("EMPTY"), "");
  EXPECT_EQ(r.head.header("X"), std::nullopt);
  EXPECT_EQ(r.body, "abc");
}

TEST(HttpAnswer, StatusCodeIsTheNumberAfterTheFirstSpace) {
  struct Row {
    const char* line;
    int code;
  };
  const Row rows[] = {{"HTTP/1.0 200 OK", 200},
                      {"HTTP/1.1 302", 302},
                      {"HTTP/1.1", 0},
                      {"HTTP/1.1 abc", 0},
                      {"garbage 99x", 99}};
  for (const Row& row : rows) {
    EXPECT_EQ(readAll({std::string(row.line) + "\r\nContent-Length: 0\r\n\r\n"}).head.code,
              row.code)
        << row.line;
  }
}

TEST(HttpAnswer, ProgressCountsOnlyWhatArrivesAfterThePhaseOpened) {
  // Head and part of the body in one piece: the part is not counted.
  const Read together = readAll({"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabcd", "efghij"});
  EXPECT_EQ(together.body, "abcdefghij");
  EXPECT_EQ(together.progress, (std::vector<std::string>{"begin 10", "6", "end"}));

  const Read apart = readAll({"HTTP/1.1 200 OK\r\nContent-Length: 8\r\n\r\n", "abc", "defgh"});
  EXPECT_EQ(apart.progress, (std::vector<std::string>{"begin 8", "3", "8", "end"}));

  const Read toClose = readAll({"HTTP/1.0 200 OK\r\n\r\n", "abc", "de"});
  EXPECT_EQ(toClose.body, "abcde");
  EXPECT_EQ(toClose.progress, (std::vector<std::string>{"begin 0", "3", "5", "end"}));
}

TEST(HttpAnswer, ChunkedBodyOpensAPhasePerChunk) {
  const Read r = readAll({"HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, chunked\r\n\r\n",
                          "3 ext\r\nabc\r\n", "2\r\nde\r\n0\r\n\r\n"});
  EXPECT_EQ(r.body, "abcde");
  EXPECT_EQ(r.progress, (std::vector<std::string>{"begin 3", "end", "begin 2", "end"}));
}

TEST(HttpAnswer, ChunkSizesThatCannotBeReadFailCleanly) {
  for (const char* size : {"", "zz", "-1", "0x10", "7fffffffffffffffff", "+5"}) {
    SCOPED_TRACE(size);
    EXPECT_THROW(readAll({"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" +
                          std::string(size) + "\r\nabc\r\n0\r\n\r\n"}),
                 EIdHTTPProtocolException);
  }
}

TEST(HttpAnswer, AnnouncedSizeIsNeverReservedUpFront) {
  // A huge announced size is refused before anything is read or held.
  EXPECT_THROW(readAll({"HTTP/1.1 200 OK\r\nContent-Length: 9000000000000000\r\n\r\nabc"}),
               EIdHTTPProtocolException);
  EXPECT_THROW(
      readAll({"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n7ffffffffffffff\r\nabc"}),
      EIdHTTPProtocolException);
}

TEST(HttpAnswer, BodyFramingFollowsTheHeaders) {
  struct Row {
    const char* head;
    BodyFraming framing;
  };
  const Row rows[] = {
      {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n", BodyFraming::Length},
      {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n", BodyFraming::None},
      {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\nTransfer-Encoding: chunked\r\n",
       BodyFraming::Chunked},
      {"HTTP/1.1 200 OK\r\nContent-Length: junk\r\n", BodyFraming::Unreadable},
      {"HTTP/1.1 200 OK\r\n", BodyFraming::ToClose},
      {"HTTP/1.1 204 No Content\r\nContent-Length: 5\r\n", BodyFraming::None},
      {"HTTP/1.1 304 Not Modified\r\n", BodyFraming::None},
  };
  for (const Row& row : rows) {
    ScriptedSource source({std::string(row.head) + "\r\n"});
    HttpInput input(source);
    EXPECT_EQ(bodyFraming(readAnswerHead(input)), row.framing) << row.head;
  }
}

TEST(HttpAnswer, HeadEndsCleanlyOnCloseOrOverlongLines) {
  EXPECT_THROW(readAll({}), EIdConnClosedGracefully);
  EXPECT_THROW(readAll({"HTTP/1.1 200 OK\r\nX: 1"}), EIdConnClosedGracefully);
  // Exactly the limit passes; one more byte does not.
  const std::string atLimit(kMaxLineLength, 'v');
  EXPECT_EQ(readAll({"HTTP/1.1 200 OK\r\nX-" + atLimit.substr(2) + "\r\nContent-Length: 0\r\n\r\n"})
                .head.code,
            200);
  EXPECT_THROW(readAll({"HTTP/1.1 200 OK\r\nX-" + atLimit.substr(1) + "\r\n\r\n"}),
               EIdHTTPProtocolException);
  std::string many = "HTTP/1.1 200 OK\r\n";
  for (std::size_t i = 0; i <= kMaxHeaderLines; ++i) many += "X: 1\r\n";
  EXPECT_THROW(readAll({many + "\r\n"}), EIdHTTPProtocolException);
}

TEST(BodyBuffer, KeepsEveryByteAcrossBlocks) {
  // Without an announced size, with one that is right, and with one that
  // is too small or too large (room for large pages, or beyond what is
  // trusted): the bytes are the same.
  for (const std::size_t announced : {std::size_t{0}, std::size_t{1605450}, std::size_t{100},
                                      std::size_t{8} << 20, std::size_t{1} << 40}) {
    SCOPED_TRACE(announced);
    BodyBuffer buffer;
    buffer.reserve(announced);
    std::string expected;
    for (int i = 0; i < 700; ++i) {
      std::string piece(static_cast<std::size_t>(i * 13 % 5000), static_cast<char>(i));
      buffer.append(piece.data(), piece.size());
      expected += piece;
    }
    EXPECT_EQ(buffer.size(), expected.size());
    EXPECT_EQ(buffer.take(), expected);
    EXPECT_EQ(buffer.size(), 0u);
  }
}

}  // namespace
}  // namespace pellora::exchange
