// What a desktop host reads of the document through IPelloraWindow2, over
// the platform doubles and a scripted server: the item's name and the
// interface language, whether the editor is open, holds unsaved edits or
// was closed by an acknowledged save, and the handler that hears of it.
#include <gtest/gtest.h>

#include "control/application.h"
#include "control/ax_impl.h"
#include "control/class_factory.h"
#include "control/com_test_support.h"
#include "control/window_interface.h"
#include "exchange/document_template.h"
#include "exchange/editing_context.h"
#include "settings/lang.h"
#include "support/fake_platform.h"
#include "support/http_test_server.h"

namespace pellora {
namespace {

using test::Bstr;
using test::readRequest;
using test::ScriptedServer;
using test::sendBytes;

std::string answer(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

class WindowStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetEditingContextForTesting();
    resetLanguageCodeForTesting();
    IClassFactory* factory = nullptr;
    ASSERT_EQ(getClassObject(CLSID_axEdit, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPellora, reinterpret_cast<void**>(&control)),
              S_OK);
    factory->Release();
    ASSERT_EQ(control->QueryInterface(IID_IPelloraWindow2, reinterpret_cast<void**>(&window)),
              S_OK);
    ASSERT_EQ(window->SetStateHandler(
                  +[](void* count) { ++*static_cast<int*>(count); }, &notices),
              S_OK);
  }
  void TearDown() override {
    if (window) window->Release();
    if (control) control->Release();
    application() = {};
    resetLanguageCodeForTesting();
    EXPECT_EQ(canUnloadNow(), S_OK) << "every object released";
  }

  std::int32_t flags() {
    std::int32_t value = -1;
    EXPECT_EQ(window->GetDocumentState(&value), S_OK);
    return value;
  }
  std::u16string text(HRESULT (IPelloraWindow2::*member)(BSTR*)) {
    Bstr value;
    EXPECT_EQ((window->*member)(&value.value), S_OK);
    return bstrView(value.value);
  }
  void load(const ScriptedServer& server) {
    Bstr url(u"http://127.0.0.1:" + toU16(server.port()) + u"/t");
    Bstr content(u"K\u00fcche 1");
    Bstr auth(u"token");
    ASSERT_EQ(control->Params(url.value, content.value, auth.value), S_OK);
    ASSERT_EQ(control->Load(), S_OK);
  }
  static std::u16string toU16(int number) {
    const std::string digits = std::to_string(number);
    return std::u16string(digits.begin(), digits.end());
  }
  void edit(const std::string& body) {
    test::FakeEditingSurface& surface = *fake.platform.lastSurface();
    surface.document = wrapInDocumentTemplate(body);
    surface.raiseDisplayChanged();
  }

  test::ScopedFakePlatform fake;
  IPellora* control = nullptr;
  IPelloraWindow2* window = nullptr;
  int notices = 0;
};

TEST_F(WindowStateTest, NameAndLanguageAsTheControlHoldsThem) {
  EXPECT_EQ(text(&IPelloraWindow2::GetLanguage), u"") << "English";
  ScriptedServer server({{readRequest(), sendBytes(answer("<P>x</P>"))}});
  load(server);
  EXPECT_EQ(text(&IPelloraWindow2::GetContentName), u"K\u00fcche 1");
  selectGermanLanguage();
  EXPECT_EQ(text(&IPelloraWindow2::GetLanguage), u"DE");
}

TEST_F(WindowStateTest, FlagsFollowEditsAndHowTheEditorClosed) {
  ScriptedServer server({{readRequest(), sendBytes(answer("<P>Hallo</P>"))},
                         {readRequest(), sendBytes(answer("nicht gespeichert"))},
                         {readRequest(), sendBytes(answer("OK"))}});
  load(server);
  EXPECT_EQ(flags(), pdfEditorOpen);
  const int afterLoad = notices;
  EXPECT_GT(afterLoad, 0);
  edit("<P>Hallo!</P>");
  EXPECT_EQ(flags(), pdfEditorOpen | pdfModified);
  EXPECT_GT(notices, afterLoad);

  ASSERT_EQ(control->Save(), S_OK);  // refused: shown, and the edits stay unsaved
  EXPECT_EQ(flags(), pdfEditorOpen | pdfModified);
  const int beforeSave = notices;
  ASSERT_EQ(control->Save(), S_OK);
  EXPECT_EQ(flags(), pdfSaved);
  EXPECT_GT(notices, beforeSave) << "the close is told";
}

TEST_F(WindowStateTest, CloseIsNoSaveAndARemovedHandlerHearsNothing) {
  ASSERT_EQ(window->SetStateHandler(nullptr, nullptr), S_OK);
  ASSERT_EQ(control->Close(), S_OK);
  EXPECT_EQ(flags(), 0);
  EXPECT_EQ(notices, 0);
  EXPECT_EQ(window->GetDocumentState(nullptr), E_POINTER);
}

// Save, then the host's Close while the save is under way: the server
// stored the item, so the editor closes as saved (it was told "closed").
TEST_F(WindowStateTest, AStoredSaveIsSavedEvenWhenACloseCameWhileItRan) {
  test::Gate release;
  ScriptedServer server({{readRequest(), sendBytes(answer("<P>Hallo</P>"))},
                         {readRequest(), test::awaitGate(release), sendBytes(answer("OK"))}});
  load(server);
  edit("<P>Hallo!</P>");
  // A clock that never moves: the save is never quiet long enough to be
  // given up, so the Close waits for it.
  application().MainForm->IdHTTP.setQuietCancelForTest(
      exchange::kQuietCancelMs, [] { return std::chrono::steady_clock::time_point{}; });
  bool closed = false;
  fake.platform.pumpDouble.onPump = [&] {
    if (closed) return;
    closed = true;
    EXPECT_EQ(control->Close(), S_OK);
    EXPECT_TRUE(application().closePending);
    release.open();
  };
  ASSERT_EQ(control->Save(), S_OK);
  fake.platform.pumpDouble.onPump = nullptr;
  ASSERT_TRUE(closed) << "the save never waited";
  EXPECT_FALSE(application().editorExists());
  EXPECT_EQ(flags(), pdfSaved);
}

// A second control in the process takes the editor over; the first one
// behaves as closed and never touches the second's editor or item.
TEST_F(WindowStateTest, AControlWhoseEditorWasTakenOverBehavesAsClosed) {
  ScriptedServer server({{readRequest(), sendBytes(answer("<P>erste</P>"))}});
  load(server);
  const int beforeTakeOver = notices;
  IClassFactory* factory = nullptr;
  ASSERT_EQ(getClassObject(CLSID_axEdit, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
            S_OK);
  IPellora* second = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPellora, reinterpret_cast<void**>(&second)),
            S_OK);
  factory->Release();
  Bstr url(u"http://127.0.0.1:1/t"), content(u"Zweite"), auth(u"token");
  ASSERT_EQ(second->Params(url.value, content.value, auth.value), S_OK);
  TMainForm* secondEditor = application().MainForm.get();

  EXPECT_EQ(flags(), 0) << "the first control's editor is gone";
  EXPECT_GT(notices, beforeTakeOver) << "and its host is told";
  EXPECT_EQ(text(&IPelloraWindow2::GetContentName), u"K\u00fcche 1");
  for (HRESULT (IPellora::*member)() : {&IPellora::Save, &IPellora::Load}) {
    EXPECT_TRUE(FAILED((control->*member)()));
    EXPECT_EQ(test::takeErrorDescription(), u"The editor has been closed.");
  }
  EXPECT_EQ(control->Close(), S_OK);
  EXPECT_EQ(application().MainForm.get(), secondEditor) << "the second's editor stays";
  EXPECT_EQ(second->Close(), S_OK);
  EXPECT_FALSE(application().editorExists());
  second->Release();
}

}  // namespace
}  // namespace pellora
