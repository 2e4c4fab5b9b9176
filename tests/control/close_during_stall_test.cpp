// The control's Close while the server has let a load or save stall: the
// request is cancelled with a message, the editor stays with its document,
// and a later Save to a sound server stores it.
#include <gtest/gtest.h>

#include "control/application.h"
#include "control/ax_impl.h"
#include "control/class_factory.h"
#include "control/com_test_support.h"
#include "exchange/editing_context.h"
#include "support/fake_platform.h"
#include "support/http_test_server.h"

namespace pellora {
namespace {

using test::awaitGate;
using test::Gate;
using test::readRequest;
using test::ScriptedServer;
using test::sendBytes;

class CloseDuringStallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetEditingContextForTesting();
    IClassFactory* factory = nullptr;
    ASSERT_EQ(getClassObject(CLSID_axEdit, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPellora, reinterpret_cast<void**>(&control)),
              S_OK);
    factory->Release();
    editor().IdAntiFreeze1.IdleTimeOut = 1;
  }
  void TearDown() override {
    if (control) control->Release();
    application() = {};
  }
  TMainForm& editor() { return *application().MainForm; }
  void pointAt(const ScriptedServer& server) {
    editingContext().BaseUrl = "http://127.0.0.1:" + std::to_string(server.port()) + "/t";
  }

  test::ScopedFakePlatform fake;
  IPellora* control = nullptr;
};

TEST_F(CloseDuringStallTest, CloseCancelsAStalledLoadAndKeepsTheEditorForALaterSave) {
  editingContext().ContentBody = "<p>kept</p>";
  fake.platform.lastSurface()->setDocumentHTML("<html><body><p>kept</p></body></html>");
  Gate never;
  ScriptedServer silent({{readRequest(), awaitGate(never)}});
  pointAt(silent);
  // Quiet from the start, so that the first Close finds the request stalled.
  editor().IdHTTP.setQuietCancelForTest(0);
  std::vector<HRESULT> closes;
  fake.platform.pumpDouble.onPump = [&] {
    if (closes.empty()) closes.push_back(control->Close());
  };
  EXPECT_EQ(control->Load(), S_OK);
  fake.platform.pumpDouble.onPump = nullptr;

  EXPECT_EQ(closes, std::vector<HRESULT>{S_OK});
  ASSERT_EQ(fake.platform.boxes.shown.size(), 1u);
  EXPECT_EQ(fake.platform.boxes.shown[0].text,
            "The request was cancelled: the server had not responded for 0 seconds.");
  ASSERT_TRUE(application().editorExists()) << "the document stays for a later save";
  EXPECT_FALSE(application().closePending);
  EXPECT_EQ(editingContext().ContentBody, "<p>kept</p>");

  ScriptedServer good({{readRequest(), sendBytes("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n"
                                                 "Connection: close\r\n\r\nOK")}});
  pointAt(good);
  EXPECT_EQ(control->Save(), S_OK);
  good.waitUntilDone();
  ASSERT_EQ(good.requests().size(), 1u);
  EXPECT_NE(good.requests()[0].find("htmlsource=%3C"), std::string::npos);
  EXPECT_NE(good.requests()[0].find("kept"), std::string::npos);
  EXPECT_FALSE(application().editorExists()) << "the acknowledged save closes the editor";
}

TEST_F(CloseDuringStallTest, CloseDuringARequestThatStillMovesDataWaitsForIt) {
  Gate release;
  ScriptedServer slow({{readRequest(), awaitGate(release),
                        sendBytes("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n"
                                  "Connection: close\r\n\r\nnew")}});
  pointAt(slow);
  // A clock that never moves: the request is never quiet long enough.
  editor().IdHTTP.setQuietCancelForTest(exchange::kQuietCancelMs,
                                        [] { return std::chrono::steady_clock::time_point{}; });
  bool closed = false;
  fake.platform.pumpDouble.onPump = [&] {
    if (closed) return;
    closed = true;
    EXPECT_EQ(control->Close(), S_OK);
    EXPECT_TRUE(application().closePending);
    release.open();
  };
  EXPECT_EQ(control->Load(), S_OK);
  EXPECT_TRUE(closed);
  EXPECT_TRUE(fake.platform.boxes.shown.empty());
  EXPECT_EQ(editingContext().ContentBody, "new");
  EXPECT_FALSE(application().editorExists()) << "the deferred Close ran after the load";
}

}  // namespace
}  // namespace pellora
