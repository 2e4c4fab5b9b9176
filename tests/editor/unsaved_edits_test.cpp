// Whether the editor holds edits the server has not stored, over the
// platform doubles and a scripted server: edits in either view count, an
// edit undone does not, a save the server acknowledged clears it and a
// refused one does not; the host hears of every change.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "editor/main_form.h"
#include "exchange/document_template.h"
#include "exchange/editing_context.h"
#include "support/fake_platform.h"
#include "support/http_test_server.h"

namespace pellora {
namespace {

using test::readRequest;
using test::ScriptedServer;
using test::sendBytes;

std::string answer(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

class UnsavedEditsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetEditingContextForTesting();
    form = std::make_unique<TMainForm>();
    surface = fake.platform.lastSurface();
    form->onDocumentStateChanged = [this] { ++notices; };
  }
  void TearDown() override { form.reset(); }

  // A server that answers the item's GET with `body`, then each save with
  // the next of `saveAnswers`.
  static std::vector<test::ConnectionScript> serving(const std::string& body,
                                                     const std::vector<std::string>& saveAnswers) {
    std::vector<test::ConnectionScript> scripts = {{readRequest(), sendBytes(answer(body))}};
    for (const std::string& text : saveAnswers)
      scripts.push_back({readRequest(), sendBytes(answer(text))});
    return scripts;
  }
  void load(const ScriptedServer& server) {
    editingContext().BaseUrl = "http://127.0.0.1:" + std::to_string(server.port()) + "/t";
    editingContext().ContentName = "Sample 1";
    form->btnLoad.click();
  }
  // The user changes the visual document to `body`; the surface reports it.
  void edit(const std::string& body) {
    surface->document = wrapInDocumentTemplate(body);
    surface->raiseDisplayChanged();
  }
  void editSource(const std::string& text) {
    form->mmoHTML.setText(text);
    form->mmoHTML.onChange();
  }

  test::ScopedFakePlatform fake;
  std::unique_ptr<TMainForm> form;
  test::FakeEditingSurface* surface = nullptr;
  int notices = 0;
};

TEST_F(UnsavedEditsTest, NothingBeforeTheFirstLoad) {
  edit("<P>typed into nothing</P>");
  EXPECT_FALSE(form->HasUnsavedEdits());
}

TEST_F(UnsavedEditsTest, EditsInEitherViewCountAndAnUndoneEditDoesNot) {
  ScriptedServer server(serving("<P>Hallo</P>", {}));
  load(server);
  EXPECT_FALSE(form->HasUnsavedEdits()) << "as loaded";
  EXPECT_GT(notices, 0) << "the load is told";

  const int before = notices;
  edit("<P>Hallo!</P>");
  EXPECT_TRUE(form->HasUnsavedEdits());
  EXPECT_GT(notices, before) << "the edit is told";
  edit("<P>Hallo</P>");
  EXPECT_FALSE(form->HasUnsavedEdits()) << "typed and deleted again";

  // The HTML view holds the same body: no edit, though it is compared in
  // another form.
  form->PageControl.selectPage(1);
  EXPECT_FALSE(form->HasUnsavedEdits());
  const int inSource = notices;
  editSource("<P>Hallo Welt</P>");
  EXPECT_TRUE(form->HasUnsavedEdits());
  EXPECT_GT(notices, inSource);
  editSource("<P>Hallo</P>");
  EXPECT_FALSE(form->HasUnsavedEdits());
}

// Rows: the server's answers to one save each, and whether edits remain
// unsaved after the last.
TEST_F(UnsavedEditsTest, OnlyAnAcknowledgedSaveStoresTheEdits) {
  struct Row {
    std::vector<std::string> answers;
    bool unsavedAfter;
  };
  const Row rows[] = {
      {{"OK"}, false},
      {{"Datenbank nicht erreichbar"}, true},
      {{"Datenbank nicht erreichbar", " OK\r\n"}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.answers.back());
    form.reset();
    SetUp();
    ScriptedServer server(serving("<P>Hallo</P>", row.answers));
    load(server);
    edit("<P>Hallo!</P>");
    for (std::size_t i = 0; i < row.answers.size(); ++i) form->btnSave.click();
    EXPECT_EQ(form->HasUnsavedEdits(), row.unsavedAfter);
    // An edit after the save is unsaved again.
    edit("<P>Hallo!!</P>");
    EXPECT_TRUE(form->HasUnsavedEdits());
  }
}

// A view that counts its changes: a key reads no body. The undo button and
// the unsaved mark follow the count and are confirmed once the edits pause,
// so an edit and its undo read as unsaved only until then.
TEST_F(UnsavedEditsTest, EditsAreConfirmedWhenTheyPauseWithoutReadingTheBodyPerKey) {
  std::uint64_t changes = 1;
  surface->dom.generation = changes;
  ScriptedServer server(serving("<P>Hallo</P>", {}));
  load(server);
  surface->raiseDisplayChanged();  // the view's report after its load
  ASSERT_FALSE(form->HasUnsavedEdits());
  ASSERT_FALSE(form->btnUndo.enabled());

  struct Key {
    const char* body;
    bool confirmedUnsaved;
  };
  const Key keys[] = {{"<P>Hallo!</P>", true}, {"<P>Hallo</P>", false}};
  for (const Key& key : keys) {
    SCOPED_TRACE(key.body);
    const int reads = surface->dom.bodyReads;
    surface->dom.generation = ++changes;
    edit(key.body);
    EXPECT_TRUE(form->HasUnsavedEdits()) << "changed, not yet compared";
    EXPECT_TRUE(form->btnUndo.enabled());
    EXPECT_EQ(surface->dom.bodyReads, reads) << "the key read the body";

    const int told = notices;
    fake.platform.timerDouble.fireAll();
    EXPECT_EQ(form->HasUnsavedEdits(), key.confirmedUnsaved) << "compared at the pause";
    EXPECT_EQ(form->btnUndo.enabled(), key.confirmedUnsaved);
    EXPECT_GT(notices, told) << "the host hears the confirmed mark";

    // A caret move changes nothing: the answer stands without a reading.
    const int settled = surface->dom.bodyReads;
    surface->raiseDisplayChanged();
    EXPECT_EQ(form->HasUnsavedEdits(), key.confirmedUnsaved);
    EXPECT_EQ(surface->dom.bodyReads, settled);
  }
}

TEST_F(UnsavedEditsTest, ALoadReplacesWhatCountsAsStored) {
  ScriptedServer server(serving("<P>eins</P>", {}));
  load(server);
  edit("<P>zwei</P>");
  ASSERT_TRUE(form->HasUnsavedEdits());
  ScriptedServer again(serving("<P>zwei</P>", {}));
  load(again);
  EXPECT_FALSE(form->HasUnsavedEdits()) << "the item as loaded now";
}

}  // namespace
}  // namespace pellora
