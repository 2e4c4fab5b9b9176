#include "exchange/http_client.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "exchange/http_status_display.h"
#include "exchange/id_antifreeze.h"
#include "exchange/id_exceptions.h"
#include "support/fake_platform.h"
#include "support/http_test_server.h"

namespace pellora::exchange {
namespace {

using test::awaitGate;
using test::closeConnection;
using test::Gate;
using test::openGate;
using test::readRequest;
using test::ScriptedServer;
using test::sendBytes;

const std::string kOk5 = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello";

std::string getHead(const std::string& target, const std::string& host,
                    const std::string& contentType = "text/html",
                    const std::string& connection = "") {
  std::string head = "GET " + target + " HTTP/1.1\r\n";
  if (!connection.empty()) head += "Connection: " + connection + "\r\n";
  if (!contentType.empty()) head += "Content-Type: " + contentType + "\r\n";
  return head + "Host: " + host + "\r\nAccept: text/html, */*\r\nUser-Agent: Pellora\r\n\r\n";
}

TEST(HttpClientWire, FirstGetThenPostThenGetCarryTheExactBytes) {
  ScriptedServer server({
      {readRequest(), sendBytes(kOk5)},
      {readRequest(), sendBytes("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nOK")},
      {readRequest(), sendBytes(kOk5)},
  });
  TIdHTTP http;
  EXPECT_EQ(http.Get(server.url("/contents/Sample%201.html#top")), "hello");

  std::string response;
  http.Post(server.url("/edit.php"), {"content=x", "htmlsource=y", "auth=z", "edtype=ax"},
            response);
  EXPECT_EQ(response, "OK");
  EXPECT_EQ(http.ProtocolVersion, pv1_1);

  EXPECT_EQ(http.Get(server.url("/contents/a.html")), "hello");

  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0], getHead("/contents/Sample%201.html", server.hostHeader()));
  EXPECT_EQ(requests[1],
            "POST /edit.php HTTP/1.0\r\nConnection: keep-alive\r\n"
            "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 40\r\n"
            "Host: " +
                server.hostHeader() +
                "\r\nAccept: text/html, */*\r\nUser-Agent: Pellora\r\n\r\n"
                "content=x&htmlsource=y&auth=z&edtype=ax&");
  // The POST's answer did not ask to keep the connection: a new one, and
  // the "Connection" value stays on the request.
  EXPECT_EQ(requests[2], getHead("/contents/a.html", server.hostHeader(),
                                 "application/x-www-form-urlencoded", "keep-alive"));
  EXPECT_EQ(server.connections(), 3);
}

TEST(HttpClientWire, RawPostKeepsTheCallersContentTypeAndBytes) {
  ScriptedServer server(
      {{readRequest(), sendBytes("HTTP/1.0 200 OK\r\n\r\nOK"), closeConnection()}});
  TIdHTTP http;
  http.Request.ContentType = "multipart/form-data; boundary=xyz";
  std::string body("a\0b\r\n", 5);
  std::string response = "prefix:";
  http.Post(server.url("/edit.php"), body, response);
  EXPECT_EQ(response, "prefix:OK");
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_NE(
      requests[0].find("Content-Type: multipart/form-data; boundary=xyz\r\nContent-Length: 5\r\n"),
      std::string::npos);
  EXPECT_EQ(requests[0].substr(requests[0].size() - 5), body);
}

TEST(HttpClientWire, ProxyGetsAbsoluteTargetsAndProxyConnection) {
  ScriptedServer proxy({
      {readRequest(), sendBytes(kOk5)},
      {readRequest(), sendBytes("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nOK")},
  });
  TIdHTTP http;
  http.ProxyParams.ProxyServer = "127.0.0.1";
  http.ProxyParams.ProxyPort = proxy.port();
  EXPECT_EQ(http.Get("http://example.com/a/b.html?x=1"), "hello");
  std::string response;
  http.Post("http://user:pw@example.com:8080/edit.php", std::vector<std::string>{"a=1"}, response);

  const auto requests = proxy.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0], getHead("http://example.com:80/a/b.html?x=1", "example.com"));
  EXPECT_EQ(requests[1],
            "POST http://example.com:8080/edit.php HTTP/1.0\r\n"
            "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 3\r\n"
            "Proxy-Connection: keep-alive\r\nHost: example.com:8080\r\n"
            "Accept: text/html, */*\r\nUser-Agent: Pellora\r\n\r\na=1");
}

TEST(HttpClientWire, EmptyProxyServerConnectsDirectly) {
  ScriptedServer server({{readRequest(), sendBytes(kOk5)}});
  TIdHTTP http;
  http.ProxyParams.ProxyPort = 8080;
  EXPECT_EQ(http.Get(server.url("/x")), "hello");
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0], getHead("/x", server.hostHeader()));
}

TEST(HttpClientConnection, KeepsOneConnectionForGetsAndOpensAFreshOneForEveryPost) {
  ScriptedServer server({
      {readRequest(), sendBytes(kOk5), readRequest(), sendBytes(kOk5)},
      {readRequest(),
       sendBytes("HTTP/1.1 200 OK\r\nConnection: keep-alive\r\nContent-Length: 2\r\n\r\nOK"),
       readRequest(), sendBytes(kOk5)},
  });
  TIdHTTP http;
  EXPECT_EQ(http.Get(server.url("/1")), "hello");
  EXPECT_EQ(http.Get(server.url("/2")), "hello");
  EXPECT_EQ(server.connections(), 1);
  std::string response;
  http.Post(server.url("/edit.php"), std::vector<std::string>{"a=1"}, response);
  EXPECT_EQ(server.connections(), 2);
  // The POST answer asked to keep the connection, so the GET reuses it.
  EXPECT_EQ(http.Get(server.url("/3")), "hello");
  EXPECT_EQ(server.connections(), 2);
  EXPECT_TRUE(http.Connected());
}

TEST(HttpClientConnection, AnswerRulesDecideWhetherTheConnectionStays) {
  struct Row {
    const char* answer;
    bool kept;
  };
  const Row rows[] = {
      {"HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nx", true},
      {"HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 1\r\n\r\nx", false},
      {"HTTP/1.1 200 OK\r\nProxy-Connection:  Close \r\nContent-Length: 1\r\n\r\nx", false},
      {"HTTP/1.1 404 Not Found\r\nContent-Length: 1\r\n\r\nx", true},
      {"HTTP/1.1 500 Oops\r\nConnection: close\r\nContent-Length: 1\r\n\r\nx", false},
      {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", true},
      {"HTTP/1.1 204 No Content\r\n\r\n", true},
      // Bytes beyond the answer would be taken for the next one.
      {"HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nxy", false},
      // Framed twice: whoever framed it by the length would send more.
      {"HTTP/1.1 200 OK\r\nContent-Length: 1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n",
       false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.answer);
    ScriptedServer server({{readRequest(), sendBytes(row.answer)}});
    TIdHTTP http;
    try {
      http.Get(server.url("/"));
    } catch (const EIdHTTPProtocolException&) {
    }
    EXPECT_EQ(http.Connected(), row.kept);
  }
}

TEST(HttpClientConnection, ReconnectsWhenTheServerClosedAKeptConnection) {
  Gate closed;
  ScriptedServer server({
      {readRequest(), sendBytes(kOk5), closeConnection(), openGate(closed)},
      {readRequest(), sendBytes("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nnew")},
  });
  TIdHTTP http;
  EXPECT_EQ(http.Get(server.url("/1")), "hello");
  EXPECT_TRUE(http.Connected());
  closed.wait();
  EXPECT_EQ(http.Get(server.url("/2")), "new");
  EXPECT_EQ(server.connections(), 2);
  EXPECT_TRUE(server.problems().empty());
}

TEST(HttpClientConnection, ADifferentTargetClosesTheOpenConnectionFirst) {
  ScriptedServer first({{readRequest(), sendBytes(kOk5)}});
  ScriptedServer second({{readRequest(), sendBytes(kOk5)}});
  TIdHTTP http;
  http.Get(first.url("/"));
  http.Get(second.url("/"));
  EXPECT_EQ(first.connections(), 1);
  EXPECT_EQ(second.connections(), 1);
  EXPECT_EQ(second.requests().size(), 1u);
}

// Answers that must fail, with the class and message the user sees.
TEST(HttpClientFailures, RefusedAnswersBecomeProtocolErrorsWithStatusLineCodeAndBody) {
  struct Row {
    std::string answer;
    int code;
    std::string message;
    std::string body;
  };
  const Row rows[] = {
      {"HTTP/1.1 302 Found\r\nLocation: /elsewhere\r\nContent-Length: 4\r\n\r\nmove", 302,
       "HTTP/1.1 302 Found", "move"},
      {"HTTP/1.1 200 OK\r\nLocation: /elsewhere\r\nContent-Length: 2\r\n\r\nhi", 200,
       "HTTP/1.1 200 OK", "hi"},
      {"HTTP/1.1 404 Not Found\r\nContent-Length: 7\r\n\r\nmissing", 404, "HTTP/1.1 404 Not Found",
       "missing"},
      {"HTTP/1.0 500 Internal Server Error\r\nTransfer-Encoding: "
       "chunked\r\n\r\n3\r\nbad\r\n0\r\n\r\n",
       500, "HTTP/1.0 500 Internal Server Error", "bad"},
      {"HTTP/1.1 304 Not Modified\r\n\r\n", 304, "HTTP/1.1 304 Not Modified", ""},
      {"HTTP/1.1 401 Unauthorized\r\nContent-Length: 0\r\n\r\n", 401, "HTTP/1.1 401 Unauthorized",
       ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.answer);
    ScriptedServer server({{readRequest(), sendBytes(row.answer)}});
    TIdHTTP http;
    try {
      http.Get(server.url("/"));
      ADD_FAILURE() << "no failure";
    } catch (const EIdHTTPProtocolException& e) {
      EXPECT_EQ(e.ErrorCode(), row.code);
      EXPECT_EQ(std::string(e.what()), row.message);
      EXPECT_EQ(e.ErrorMessage(), row.body);
    }
  }
}

TEST(HttpClientFailures, BrokenAnswersFailCleanly) {
  struct Row {
    std::string name;
    std::vector<test::ServerStep> script;
    std::function<void(TIdHTTP&, const std::string&)> expectFailure;
  };
  auto expectClass = [](auto tag, std::string message) {
    return [message](TIdHTTP& http, const std::string& url) {
      try {
        http.Get(url);
        ADD_FAILURE() << "no failure";
      } catch (const decltype(tag)& e) {
        EXPECT_EQ(std::string(e.what()), message);
      }
    };
  };
  const Row rows[] = {
      {"closed before status",
       {readRequest(), closeConnection()},
       expectClass(EIdConnClosedGracefully{}, "Connection Closed Gracefully.")},
      {"closed inside the head",
       {readRequest(), sendBytes("HTTP/1.1 200 OK\r\nContent-"), closeConnection()},
       expectClass(EIdConnClosedGracefully{}, "Connection Closed Gracefully.")},
      {"body cut short",
       {readRequest(), sendBytes("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc"),
        closeConnection()},
       expectClass(EIdConnClosedGracefully{}, "Connection Closed Gracefully.")},
      {"chunk size not hexadecimal",
       {readRequest(),
        sendBytes("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nnothex\r\n")},
       expectClass(EIdHTTPProtocolException(0, "", ""), "Invalid chunk size in answer.")},
      {"chunk size overflowing",
       {readRequest(),
        sendBytes(
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nfffffffffffffffffffff\r\n")},
       expectClass(EIdHTTPProtocolException(0, "", ""), "Invalid chunk size in answer.")},
      {"status line beyond 64 KiB",
       {readRequest(), sendBytes("HTTP/1.1 200 " + std::string(70000, 'x'))},
       expectClass(EIdHTTPProtocolException(0, "", ""), "Answer line too long.")},
      {"header line beyond 64 KiB",
       {readRequest(), sendBytes("HTTP/1.1 200 OK\r\nX: " + std::string(70000, 'x') + "\r\n")},
       expectClass(EIdHTTPProtocolException(0, "", ""), "Answer line too long.")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ScriptedServer server({row.script});
    TIdHTTP http;
    row.expectFailure(http, server.url("/"));
    EXPECT_FALSE(http.Connected());
  }
}

TEST(HttpClientFailures, ErrorBodyThatNeverEndsTimesOut) {
  ScriptedServer server({{readRequest(), sendBytes("HTTP/1.1 500 Oops\r\n\r\npartial")}});
  TIdHTTP http;
  http.setTimingsForTest({120000, 200});
  EXPECT_THROW(http.Get(server.url("/")), EIdReadTimeout);
  EXPECT_FALSE(http.Connected());
}

TEST(HttpClientFailures, ConnectionFailuresCarryTheirClassAndMessage) {
  const int port = test::unusedLoopbackPort();
  TIdHTTP http;
  std::string response;
  try {
    http.Post("http://127.0.0.1:" + std::to_string(port) + "/edit.php",
              std::vector<std::string>{"a=1"}, response);
    ADD_FAILURE() << "no failure";
  } catch (const EIdConnectException& e) {
    EXPECT_EQ(std::string(e.what()), "Connection refused");
  }
  EXPECT_EQ(http.ProtocolVersion, pv1_1);

  try {
    http.Get("http:///nohost");
    ADD_FAILURE() << "no failure";
  } catch (const EIdSocketError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Socket Error # ", 0), 0u) << e.what();
    EXPECT_NE(std::string(e.what()).find("\r\n"), std::string::npos);
  }

  try {
    http.Get("https://127.0.0.1/");
    ADD_FAILURE() << "no failure";
  } catch (const EIdIOHandlerPropInvalid& e) {
    EXPECT_EQ(std::string(e.what()), "IOHandler value is not valid");
  }
}

TEST(HttpClientFailures, FailedPostRestoresTheVersionForTheNextGet) {
  ScriptedServer server({
      {readRequest(), sendBytes("HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n")},
      {readRequest(), sendBytes(kOk5)},
  });
  TIdHTTP http;
  std::string response;
  EXPECT_THROW(http.Post(server.url("/edit.php"), std::vector<std::string>{"a=1"}, response),
               EIdHTTPProtocolException);
  EXPECT_EQ(http.ProtocolVersion, pv1_1);
  http.Get(server.url("/x"));
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].rfind("GET /x HTTP/1.1\r\nConnection: keep-alive\r\n", 0), 0u)
      << requests[1];
}

TEST(HttpClientBodies, EveryFramingDeliversTheWholeBody) {
  struct Row {
    std::string name;
    std::vector<test::ServerStep> script;
    std::string body;
  };
  const Row rows[] = {
      {"content length", {readRequest(), sendBytes(kOk5)}, "hello"},
      {"content length zero",
       {readRequest(), sendBytes("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n")},
       ""},
      {"no length, read to close",
       {readRequest(), sendBytes("HTTP/1.0 200 OK\r\n\r\nuntil "), sendBytes("the end"),
        closeConnection()},
       "until the end"},
      {"chunked with extensions",
       {readRequest(),
        sendBytes(
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n"
            "5 ; name=value\r\nhello\r\n1;ext\r\n,\r\n6\r\n world\r\n0\r\nTrailer: x\r\n\r\n")},
       "hello, world"},
      {"chunked wins over a length",
       {readRequest(), sendBytes("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Length: "
                                 "3\r\n\r\n3\r\nabc\r\n0\r\n\r\n")},
       "abc"},
      {"chunked as the last of several codings",
       {readRequest(), sendBytes("HTTP/1.1 200 OK\r\nTransfer-Encoding: x-a;q=1\r\n"
                                 "Transfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n")},
       "abc"},
      {"a coding after chunked: read to close",
       {readRequest(),
        sendBytes("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked, x-a\r\n\r\n3\r\nabc"),
        closeConnection()},
       "3\r\nabc"},
      {"the same length twice",
       {readRequest(), sendBytes("HTTP/1.1 200 OK\r\nContent-Length: 3\r\nContent-Length: 3\r\n"
                                 "\r\nabc")},
       "abc"},
      {"interim 100 skipped",
       {readRequest(), sendBytes("HTTP/1.1 100 Continue\r\n\r\n" + kOk5)},
       "hello"},
      {"204 has no body", {readRequest(), sendBytes("HTTP/1.1 204 No Content\r\n\r\n")}, ""},
      {"binary bytes unchanged",
       {readRequest(),
        sendBytes(std::string("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n\0\xff\r\n", 43))},
       std::string("\0\xff\r\n", 4)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ScriptedServer server({row.script});
    TIdHTTP http;
    EXPECT_EQ(http.Get(server.url("/")), row.body);
  }
}

TEST(HttpClientBodies, LargeBodyArrivesWhole) {
  std::string body(3 * 1024 * 1024 + 17, '\0');
  for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 7 + i / 4096);
  ScriptedServer server(
      {{readRequest(), sendBytes("HTTP/1.1 200 OK\r\nContent-Length: " +
                                 std::to_string(body.size()) + "\r\n\r\n" + body)}});
  TIdHTTP http;
  EXPECT_EQ(http.Get(server.url("/big")), body);
}

// Records the client's progress events as one readable line each.
struct ProgressLog {
  std::vector<std::string> events;
  void attach(TIdHTTP& http) {
    http.OnWorkBegin = [this](TIdHTTP&, TWorkMode m, std::int64_t max) {
      events.push_back(std::string(m == wmRead ? "read" : "write") + " begin " +
                       std::to_string(max));
    };
    http.OnWork = [this](TIdHTTP&, TWorkMode m, std::int64_t count) {
      events.push_back(std::string(m == wmRead ? "read" : "write") + " " + std::to_string(count));
    };
    http.OnWorkEnd = [this](TIdHTTP&, TWorkMode m) {
      events.push_back(std::string(m == wmRead ? "read" : "write") + " end");
    };
  }
};

TEST(HttpClientProgress, PostSendsInPiecesThenReceivesWhatFollowsTheHead) {
  Gate bodyMayCome;
  const std::string answerBody(5000, 'a');
  ScriptedServer server(
      {{readRequest(), sendBytes("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n"),
        awaitGate(bodyMayCome), sendBytes(answerBody)}});
  TIdHTTP http;
  ProgressLog log;
  log.attach(http);
  auto begin = http.OnWorkBegin;
  http.OnWorkBegin = [&](TIdHTTP& s, TWorkMode m, std::int64_t max) {
    begin(s, m, max);
    if (m == wmRead) bodyMayCome.open();
  };
  std::string response;
  http.Post(server.url("/up"), std::string(9000, 'b'), response);
  EXPECT_EQ(response, answerBody);

  ASSERT_GE(log.events.size(), 7u);
  const std::vector<std::string> sending(log.events.begin(), log.events.begin() + 5);
  EXPECT_EQ(sending, (std::vector<std::string>{"write begin 9000", "write 4096", "write 8192",
                                               "write 9000", "write end"}));
  EXPECT_EQ(log.events[5], "read begin 5000");
  EXPECT_EQ(log.events[log.events.size() - 2], "read 5000");
  EXPECT_EQ(log.events.back(), "read end");
}

TEST(HttpClientProgress, EveryChunkRestartsTheBar) {
  Gate go;
  ScriptedServer server(
      {{readRequest(), sendBytes("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"),
        awaitGate(go), sendBytes("a\r\n0123456789\r\n"), sendBytes("4\r\nabcd\r\n0\r\n\r\n")}});
  TIdHTTP http;
  ui::Control form(ui::ControlKind::Form, "MainForm");
  ui::Control& panel = HttpStatusDisplay::createControls(form);
  ui::Control& bar = panel.child("StatusProgress");
  test::FakeCursor cursor;
  HttpStatusDisplay display(panel, panel.child("StatusLabel"), bar, cursor);
  display.bind(http);
  std::vector<int> maxima;
  std::vector<int> positions;
  bar.changed.connect([&](ui::Control& c, ui::Property) { positions.push_back(c.position()); });
  auto begin = http.OnWorkBegin;
  http.OnWorkBegin = [&](TIdHTTP& s, TWorkMode m, std::int64_t max) {
    begin(s, m, max);
    maxima.push_back(bar.maximum());
  };
  http.OnStatus = nullptr;
  go.open();
  EXPECT_EQ(http.Get(server.url("/")), "0123456789abcd");
  EXPECT_EQ(maxima, (std::vector<int>{10, 4}));
  EXPECT_EQ(bar.position(), 0);
}

TEST(HttpClientProgress, AnswerWithoutSizeLeavesTheBarEmpty) {
  ScriptedServer server({{readRequest(), sendBytes("HTTP/1.0 200 OK\r\n\r\n"),
                          sendBytes(std::string(10000, 'z')), closeConnection()}});
  TIdHTTP http;
  ui::Control form(ui::ControlKind::Form, "MainForm");
  ui::Control& panel = HttpStatusDisplay::createControls(form);
  ui::Control& bar = panel.child("StatusProgress");
  test::FakeCursor cursor;
  HttpStatusDisplay display(panel, panel.child("StatusLabel"), bar, cursor);
  display.bind(http);
  int highest = 0;
  bar.changed.connect(
      [&](ui::Control& c, ui::Property) { highest = std::max(highest, c.position()); });
  EXPECT_EQ(http.Get(server.url("/")).size(), 10000u);
  EXPECT_EQ(bar.maximum(), 0);
  EXPECT_EQ(highest, 0);
}

TEST(HttpClientGuard, StalledDownloadKeepsPumping) {
  test::FakePump pump;
  TIdAntiFreeze guard(pump);
  Gate rest;
  ScriptedServer server(
      {{readRequest(), sendBytes("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nfirst"),
        awaitGate(rest), sendBytes("-last")}});
  pump.onPump = [&] { rest.open(); };
  TIdHTTP http;
  EXPECT_EQ(http.Get(server.url("/")), "first-last");
  EXPECT_GE(pump.calls, 1);
}

TEST(HttpClientGuard, ARequestStartedFromAPumpedMessageIsRefused) {
  test::FakePump pump;
  TIdAntiFreeze guard(pump);
  Gate rest;
  ScriptedServer server(
      {{readRequest(), sendBytes("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nab"), awaitGate(rest),
        sendBytes("cd")}});
  TIdHTTP http;
  std::vector<std::string> refusals;
  pump.onPump = [&] {
    if (rest.isOpen()) return;
    for (auto attempt : std::vector<std::function<void()>>{
             [&] { http.Get(server.url("/other")); },
             [&] {
               std::string r;
               http.Post(server.url("/other"), std::vector<std::string>{"a=1"}, r);
             }}) {
      try {
        attempt();
      } catch (const EIdException& e) {
        refusals.push_back(e.what());
      }
    }
    rest.open();
  };
  EXPECT_EQ(http.Get(server.url("/")), "abcd");
  EXPECT_EQ(refusals, (std::vector<std::string>{"Another request is in progress.",
                                                "Another request is in progress."}));
  EXPECT_EQ(http.Request.ContentType, "text/html");
  EXPECT_EQ(server.requests().size(), 1u);
}

TEST(HttpClientCookies, StoredCookiesGoBackToMatchingRequestsOnly) {
  ScriptedServer server({
      {readRequest(),
       sendBytes("HTTP/1.1 200 OK\r\n"
                 "Set-Cookie: root=1; Path=/\r\n"
                 "Set-Cookie: deep=2; Path=/dir\r\n"
                 "set-cookie2: other=3; Path=/elsewhere\r\n"
                 "Set-Cookie: safe=4; Path=/; Secure\r\n"
                 "Set-Cookie: foreign=5; Domain=example.com\r\n"
                 "Set-Cookie: gone=6; Expires=Thu, 01 Jan 1970 00:00:01 GMT\r\n"
                 "Content-Length: 0\r\n\r\n"),
       readRequest(), sendBytes("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n")},
  });
  TIdHTTP http;
  http.Get(server.url("/login"));
  http.Get(server.url("/dir/page.html"));
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].find("Cookie:"), std::string::npos);
  EXPECT_NE(requests[1].find("User-Agent: Pellora\r\nCookie: deep=2; root=1\r\n\r\n"),
            std::string::npos)
      << requests[1];
}

TEST(HttpClientCookies, NoCookiesAreKeptWhenTheyAreNotAllowed) {
  ScriptedServer server(
      {{readRequest(), sendBytes("HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\nContent-Length: 0\r\n\r\n"),
        readRequest(), sendBytes(kOk5)}});
  TIdHTTP http;
  http.AllowCookies = false;
  http.Get(server.url("/"));
  http.Get(server.url("/"));
  EXPECT_EQ(http.CookieManager(), nullptr);
  EXPECT_EQ(server.requests().at(1).find("Cookie:"), std::string::npos);
}

}  // namespace
}  // namespace pellora::exchange
