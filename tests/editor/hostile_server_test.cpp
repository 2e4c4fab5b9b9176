// Loading and saving against broken and hostile servers: each failure is
// shown in a readable message, the document on screen stays, and a later
// save to a sound server stores it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "content/url_encode.h"
#include "editor/editor_fixture.h"
#include "exchange/http_answer.h"
#include "exchange/http_client.h"
#include "support/http_test_server.h"

namespace pellora {
namespace {

using test::awaitGate;
using test::Gate;
using test::readRequest;
using test::ScriptedServer;
using test::sendBytes;

const std::string kOk = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nOK";
const std::string kUnreadableLength =
    "The server's answer has an unreadable Content-Length; it was not taken.";
const std::string kCancelled =
    "The request was cancelled: the server had not responded for 0 seconds.";

class HostileServerEditorTest : public test::EditorFormTest {
 protected:
  void SetUp() override {
    EditorFormTest::SetUp();
    load("<p>kept</p>");
    editingContext().ContentBody = "<p>kept</p>";
    // As if loaded from the item: a failed reload keeps it, and saving it
    // needs no question.
    form.LoadedItem = form.ItemOfContext();
    form.IdAntiFreeze1.IdleTimeOut = 1;
  }
  void pointAt(const ScriptedServer& server) {
    editingContext().BaseUrl = "http://127.0.0.1:" + std::to_string(server.port()) + "/t";
  }
  std::vector<std::string> messages() const {
    std::vector<std::string> texts;
    for (const auto& shown : fake.platform.boxes.shown) texts.push_back(shown.text);
    return texts;
  }
  // Saves to a sound server; returns the body it received.
  std::string saveToASoundServer() {
    ScriptedServer good({{readRequest(), sendBytes(kOk)}});
    pointAt(good);
    form.btnSave.click();
    good.waitUntilDone();
    const auto requests = good.requests();
    if (requests.empty()) return "<no request>";
    return requests.back().substr(requests.back().find("\r\n\r\n") + 4);
  }
  // The document is as it was, and a later save stores it.
  void expectKeptAndSavable() {
    EXPECT_EQ(editingContext().ContentBody, "<p>kept</p>");
    EXPECT_EQ(surface.DocumentHTML(), "<html><body><p>kept</p></body></html>");
    const std::size_t shownBefore = fake.platform.boxes.shown.size();
    const std::string body = saveToASoundServer();
    EXPECT_TRUE(editingContext().SaveSucceeded);
    EXPECT_EQ(fake.platform.boxes.shown.size(), shownBefore) << "nothing more to report";
    EXPECT_NE(body.find("&htmlsource=" + content::UrlEncode(editingContext().ContentBody) + "&"),
              std::string::npos)
        << body;
    EXPECT_NE(editingContext().ContentBody.find("kept"), std::string::npos);
  }
};

TEST_F(HostileServerEditorTest, BrokenAnswersToALoadAreShownAndTheDocumentStays) {
  struct Row {
    const char* name;
    std::string answer;  // sent, then the connection stays open
    std::int64_t limit;
    std::string message;
  };
  const Row rows[] = {
      {"negative length", "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n",
       exchange::kMaxAnswerBytes, kUnreadableLength},
      {"overflowing length", "HTTP/1.1 200 OK\r\nContent-Length: 18446744073709551616\r\n\r\n",
       exchange::kMaxAnswerBytes, kUnreadableLength},
      {"body without end", "HTTP/1.1 200 OK\r\n\r\n" + std::string(9000, 'x'), 8192,
       exchange::answerTooLargeMessage(8192)},
      {"2^63-byte chunk",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n7fffffffffffffff\r\n",
       exchange::kMaxAnswerBytes, exchange::answerTooLargeMessage(exchange::kMaxAnswerBytes)},
      {"NUL status line",
       std::string(1, '\0') + "HTTP/1.1 500 Oops\r\nContent-Length: 0\r\nConnection: close\r\n\r\n",
       exchange::kMaxAnswerBytes,
       "The server answered with an unreadable status line: \"\\x00HTTP/1.1 500 Oops\""},
      // Ambiguous framing: no reading of it may become the document.
      {"two different lengths",
       "HTTP/1.1 200 OK\r\nContent-Length: 14\r\nContent-Length: 7\r\n\r\n<p>garbage</p>",
       exchange::kMaxAnswerBytes,
       "The server's answer has conflicting Content-Length values; it was not taken."},
      {"a length and an unreadable one",
       "HTTP/1.1 200 OK\r\nContent-Length: 14\r\nContent-Length: x\r\n\r\n<p>garbage</p>",
       exchange::kMaxAnswerBytes, kUnreadableLength},
      {"chunk longer than its size",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\n<p>garbage</p>\r\n0\r\n\r\n",
       exchange::kMaxAnswerBytes, "Invalid chunk data in answer."},
      {"signed last chunk", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n-0\r\n\r\n",
       exchange::kMaxAnswerBytes, "Invalid chunk size in answer."},
      {"trailer flood",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\n" +
           [] {
             std::string lines;
             for (std::size_t i = 0; i <= exchange::kMaxHeaderLines; ++i) lines += "X-T: 1\r\n";
             return lines;
           }() +
           "\r\n",
       exchange::kMaxAnswerBytes, "Too many trailer lines in answer."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fake.platform.boxes.shown.clear();
    Gate never;
    ScriptedServer hostile({{readRequest(), sendBytes(row.answer), awaitGate(never)}});
    pointAt(hostile);
    form.IdHTTP.setAnswerLimitForTest(row.limit);
    form.btnLoad.click();
    EXPECT_EQ(messages(), std::vector<std::string>{row.message});
    form.IdHTTP.setAnswerLimitForTest(exchange::kMaxAnswerBytes);
    expectKeptAndSavable();
  }
}

TEST_F(HostileServerEditorTest, ChunksOverrideALengthAndTheConnectionIsNotReused) {
  const std::string document = "<p>the chunks are the item</p>";
  char size[8];
  std::snprintf(size, sizeof size, "%zx", document.size());
  Gate never;
  ScriptedServer server({{readRequest(),
                          sendBytes("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n"
                                    "Transfer-Encoding: chunked\r\n\r\n" +
                                    std::string(size) + "\r\n" + document + "\r\n0\r\n\r\n"),
                          awaitGate(never)}});
  pointAt(server);
  form.btnLoad.click();
  EXPECT_EQ(messages(), std::vector<std::string>{});
  EXPECT_EQ(editingContext().ContentBody, document);
  EXPECT_FALSE(form.IdHTTP.Connected()) << "its next bytes are not taken for the next answer";
}

TEST_F(HostileServerEditorTest, AServerThatNeverAnswersALoadIsCancelledAndTheDocumentStays) {
  Gate never;
  ScriptedServer silent({{readRequest(), awaitGate(never)}});
  pointAt(silent);
  form.IdHTTP.setQuietCancelForTest(0);
  // The user's Close, pumped while the load waits.
  fake.platform.pumpDouble.onPump = [this] { form.IdHTTP.CancelIfQuiet(); };
  form.btnLoad.click();
  fake.platform.pumpDouble.onPump = nullptr;
  EXPECT_EQ(messages(), std::vector<std::string>{kCancelled});
  EXPECT_FALSE(form.StatusPanel.visible());
  expectKeptAndSavable();
}

TEST_F(HostileServerEditorTest, ASaveToAServerThatStopsReadingIsCancelledAndCanBeRepeated) {
  // A body larger than loopback buffers take, so the send has to wait.
  const std::string large = "<p>kept</p>" + std::string(48 * 1024 * 1024, 'k');
  editingContext().ContentBody = large;
  load(large);
  Gate never;
  ScriptedServer deaf({{awaitGate(never)}});
  pointAt(deaf);
  form.IdHTTP.setQuietCancelForTest(0);
  int pumpedWhileSending = 0;
  fake.platform.pumpDouble.onPump = [&] {
    if (form.IdHTTP.workMeter().level(exchange::wmWrite) == 0) return;
    ++pumpedWhileSending;
    form.IdHTTP.CancelIfQuiet();
  };
  form.btnSave.click();
  fake.platform.pumpDouble.onPump = nullptr;
  EXPECT_EQ(pumpedWhileSending, 1) << "the window is serviced while the send waits";
  EXPECT_EQ(messages(), std::vector<std::string>{kCancelled});
  EXPECT_FALSE(editingContext().SaveSucceeded);
  EXPECT_EQ(surface.DocumentHTML(), "<html><body>" + large + "</body></html>");

  const std::string body = saveToASoundServer();
  EXPECT_TRUE(editingContext().SaveSucceeded);
  EXPECT_EQ(body.size(), std::string("content=Sample%201&htmlsource=").size() +
                             content::UrlEncode(editingContext().ContentBody).size() +
                             std::string("&auth=&edtype=ax&").size() +
                             editingContext().AuthToken.size());
}

TEST_F(HostileServerEditorTest, AFloodOfCookiesStillLeavesALaterSaveABoundedRequest) {
  std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 11\r\nConnection: close\r\n";
  for (int i = 0; i < 900; ++i) {
    head +=
        "Set-Cookie: c" + std::to_string(1000 + i) + "=" + std::string(4090, 'v') + "; Path=/\r\n";
  }
  ScriptedServer flooding({{readRequest(), sendBytes(head + "\r\n<p>kept</p>")}});
  pointAt(flooding);
  form.btnLoad.click();
  EXPECT_TRUE(messages().empty());
  ASSERT_NE(form.IdHTTP.CookieManager(), nullptr);
  EXPECT_EQ(form.IdHTTP.CookieManager()->cookies().size(), exchange::kMaxCookiesPerDomain);

  ScriptedServer good({{readRequest(), sendBytes(kOk)}});
  pointAt(good);
  form.btnSave.click();
  good.waitUntilDone();
  EXPECT_TRUE(editingContext().SaveSucceeded);
  ASSERT_EQ(good.requests().size(), 1u);
  const std::string request = good.requests().front();
  const std::string requestHead = request.substr(0, request.find("\r\n\r\n"));
  EXPECT_LT(requestHead.size(),
            exchange::kMaxCookiesPerDomain * (exchange::kMaxCookieBytes + 2) + 1024);
  EXPECT_NE(request.find("htmlsource=" + content::UrlEncode(editingContext().ContentBody)),
            std::string::npos);
}

}  // namespace
}  // namespace pellora
