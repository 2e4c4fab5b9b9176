// The journal of unsaved edits on the editor form, over the platform
// doubles (their timers fire when the test says) and a scripted server: what
// is written when, what a save or a close does to the draft, and the offer
// of a draft after a load.
#include "editor/draft_journal.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>

#include "content/url_encode.h"
#include "editor/main_form.h"
#include "exchange/document_template.h"
#include "exchange/editing_context.h"
#include "journal/draft_file.h"
#include "settings/lang.h"
#include "support/fake_platform.h"
#include "support/http_test_server.h"

namespace pellora {
namespace {

namespace fs = std::filesystem;
using test::readRequest;
using test::ScriptedServer;
using test::sendBytes;
using ui::MessageButton;

std::string answer(const std::string& status, const std::string& body) {
  return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

// One GET of the item per load, and one POST per save answered `saveAnswer`.
std::vector<test::ConnectionScript> loadThenSave(const std::string& body,
                                                 std::vector<std::string> saveAnswers = {}) {
  std::vector<test::ConnectionScript> scripts = {
      {readRequest(), sendBytes(answer("200 OK", body))}};
  for (const std::string& text : saveAnswers) {
    scripts.push_back({readRequest(), sendBytes(answer("200 OK", text))});
  }
  return scripts;
}

class DraftJournalTest : public ::testing::Test {
 public:
  void SetUp() override { restart(); }
  // A fresh editor, editing context, language and journal folder, for
  // each row of a table.
  void restart() {
    form.reset();
    fake.platform.boxes.shown.clear();
    fake.platform.boxes.answers.clear();
    fake.platform.timerDouble.timers.clear();
    fs::remove_all(fake.state.journal());
    resetEditingContextForTesting();
    resetLanguageCodeForTesting();
    form = std::make_unique<TMainForm>();
    surface = fake.platform.lastSurface();
    // Editing additions the surface puts in; a save filters them out.
    surface->editingAddition = "<!--surface-->";
  }
  void TearDown() override {
    form.reset();
    resetLanguageCodeForTesting();
  }

  void load(ScriptedServer& server, const std::string& name = "Sample 1") {
    EditingContext& context = editingContext();
    context.BaseUrl = "http://127.0.0.1:" + std::to_string(server.port()) + "/t";
    context.ContentName = name;
    form->btnLoad.click();
  }
  // The user changes the visual document to `body` (as the surface would
  // hold it), and the surface reports the change.
  void edit(const std::string& body) {
    surface->document = wrapInDocumentTemplate(body + surface->editingAddition);
    surface->raiseDisplayChanged();
  }
  journal::DraftKey key() const { return {editingContext().BaseUrl, editingContext().ContentName}; }
  // The editor's own draft.
  fs::path draftFile() const {
    return fake.state.journal() / journal::draftFileName(key(), form->journal().owner());
  }
  // A draft as editors wrote them before each kept its own.
  fs::path unownedFile() const { return fake.state.journal() / journal::draftFileName(key()); }
  void makeJournalFolder() {
    fs::create_directories(fake.state.journal());
    fs::permissions(fake.state.journal(), fs::perms::owner_all);
  }
  // The draft on disk once the writer is done, if any.
  std::optional<journal::Draft> draft() {
    form->journal().flush();
    if (!fs::exists(draftFile())) return std::nullopt;
    return journal::decodeDraft(test::readFile(draftFile()));
  }
  void writeDraft(const std::string& body, std::int64_t writtenAt = 1765100000) {
    makeJournalFolder();
    test::writeFile(unownedFile(), journal::encodeDraft({key(), writtenAt, body}));
  }
  std::string postedBody(const ScriptedServer& server) {
    const std::string request = server.requests().back();
    const auto start = request.find("htmlsource=") + 11;
    return request.substr(start, request.find("&auth=") - start);
  }

  test::ScopedFakePlatform fake;
  std::unique_ptr<TMainForm> form;
  test::FakeEditingSurface* surface = nullptr;
};

TEST_F(DraftJournalTest, AnEditIsWrittenAsASaveWouldSendItWhenTheTimerFires) {
  ScriptedServer server(loadThenSave("<P>Hallo</P>", {"OK"}));
  load(server);
  EXPECT_EQ(fake.platform.timerDouble.pending(), 0u) << "loading is no change";

  edit("<P>Hallo <STRONG>Welt</STRONG></P>\r\n<P>zwei</P>");
  edit("<P>Hallo <STRONG>Welt</STRONG></P>\r\n<P>zwei</P> ");
  ASSERT_EQ(fake.platform.timerDouble.pending(), 1u) << "one timer however many changes";
  EXPECT_LE(fake.platform.timerDouble.timers.back()->delay, std::chrono::milliseconds(2000));
  EXPECT_FALSE(draft()) << "nothing before the timer";

  EXPECT_EQ(fake.platform.timerDouble.fireAll(), 1u);
  const std::optional<journal::Draft> written = draft();
  ASSERT_TRUE(written);
  EXPECT_EQ(written->key, key());
  struct stat info {};
  ASSERT_EQ(::stat(draftFile().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  // The very body the save then posts.
  form->btnSave.click();
  EXPECT_EQ(postedBody(server), content::UrlEncode(written->body));
  EXPECT_EQ(written->body, "<P>Hallo <B>Welt</B></P>\n<P>zwei</P>");
}

TEST_F(DraftJournalTest, ChangesThatLeaveTheBodyAsLoadedWriteNothing) {
  ScriptedServer server(loadThenSave("<P>Hallo</P>"));
  load(server);
  surface->raiseDisplayChanged();  // a caret move
  fake.platform.timerDouble.fireAll();
  EXPECT_FALSE(draft());

  edit("<P>Hallo!</P>");
  fake.platform.timerDouble.fireAll();
  EXPECT_TRUE(draft());
  edit("<P>Hallo</P>");  // typed back to what was loaded
  fake.platform.timerDouble.fireAll();
  EXPECT_FALSE(draft()) << "this session's own draft goes again";
}

TEST_F(DraftJournalTest, AFailedSaveKeepsTheDraftAndAnAcknowledgedOneRemovesIt) {
  ScriptedServer server(loadThenSave("<P>a</P>", {"Datenbank nicht erreichbar", "OK"}));
  load(server);
  edit("<P>b</P>");  // saved before the timer fired
  form->btnSave.click();
  ASSERT_EQ(fake.platform.boxes.shown.size(), 1u) << "the server's refusal";
  ASSERT_TRUE(draft());
  EXPECT_EQ(draft()->body, "<P>b</P>");

  form->btnSave.click();
  EXPECT_TRUE(editingContext().SaveSucceeded);
  EXPECT_FALSE(draft());
  fake.platform.timerDouble.fireAll();
  EXPECT_FALSE(draft()) << "the saved body is the new reference";
}

TEST_F(DraftJournalTest, ClosingKeepsAModifiedDocumentsDraftAndRemovesAnUnmodifiedOnes) {
  struct Case {
    const char* what;
    std::function<void(DraftJournalTest&)> steps;
    bool kept;
  } cases[] = {
      {"an edit the timer has not taken yet", [](DraftJournalTest& t) { t.edit("<P>neu</P>"); },
       true},
      {"an edit written, then typed back",
       [](DraftJournalTest& t) {
         t.edit("<P>neu</P>");
         t.fake.platform.timerDouble.fireAll();
         t.edit("<P>alt</P>");
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    restart();
    ScriptedServer server(loadThenSave("<P>alt</P>"));
    load(server);
    c.steps(*this);
    form->FormClosing();
    form->journal().flush();
    EXPECT_EQ(fs::exists(draftFile()), c.kept);
    if (c.kept) {
      EXPECT_EQ(draft()->body, "<P>neu</P>");
    }
  }
}

TEST_F(DraftJournalTest, ALoadOffersTheDraftAndRestoreMakesItAnUnsavedChange) {
  for (const bool german : {false, true}) {
    SCOPED_TRACE(german ? "German" : "English");
    restart();
    if (german) selectGermanLanguage();
    ScriptedServer server(loadThenSave("<P>Server</P>", {"OK"}));
    EditingContext& context = editingContext();
    context.BaseUrl = "http://127.0.0.1:" + std::to_string(server.port()) + "/t";
    context.ContentName = "Sample 1";
    const std::int64_t writtenAt = 1765100000;
    writeDraft("<P>Entwurf</P>", writtenAt);
    fake.platform.boxes.answers = {MessageButton::Yes};
    form->btnLoad.click();

    ASSERT_EQ(fake.platform.boxes.shown.size(), 1u);
    const test::ShownMessage& box = fake.platform.boxes.shown[0];
    EXPECT_EQ(box.kind, ui::MessageKind::Confirmation);
    EXPECT_EQ(box.buttons, (std::vector<MessageButton>{MessageButton::Yes, MessageButton::No,
                                                       MessageButton::Cancel}));
    const std::time_t seconds = writtenAt;
    std::tm local{};
    ::localtime_r(&seconds, &local);
    char when[64];
    std::strftime(when, sizeof when, german ? "%d.%m.%Y um %H:%M" : "%Y-%m-%d at %H:%M", &local);
    EXPECT_NE(box.text.find(when), std::string::npos) << box.text;
    EXPECT_NE(box.text.find("\"Sample 1\""), std::string::npos);
    EXPECT_NE(box.text.find(german ? "Wiederherstellen?" : "Restore it?"), std::string::npos);

    EXPECT_EQ(surface->documentPuts.back(), wrapInDocumentTemplate("<P>Entwurf</P>"));
    form->btnSave.click();
    EXPECT_EQ(postedBody(server), content::UrlEncode("<P>Entwurf</P>"));
    EXPECT_FALSE(draft()) << "gone with the acknowledged save";
  }
}

TEST_F(DraftJournalTest, TheAnswerDecidesWhatBecomesOfTheOfferedDraft) {
  const struct {
    MessageButton answer;
    bool keptAfterClose;
  } cases[] = {{MessageButton::No, false}, {MessageButton::Cancel, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(ui::messageButtonText(c.answer)));
    restart();
    ScriptedServer server(loadThenSave("<P>Server</P>"));
    editingContext().BaseUrl = "http://127.0.0.1:" + std::to_string(server.port()) + "/t";
    writeDraft("<P>Entwurf</P>");
    fake.platform.boxes.answers = {c.answer};
    form->btnLoad.click();
    EXPECT_EQ(surface->documentPuts.size(), 1u) << "only the loaded document";
    surface->raiseDisplayChanged();
    fake.platform.timerDouble.fireAll();
    form->FormClosing();
    form->journal().flush();
    EXPECT_EQ(fs::exists(unownedFile()), c.keptAfterClose);
  }
}

TEST_F(DraftJournalTest, AnUnreadableDraftIsReportedOnceAndPutAside) {
  const struct {
    const char* what;
    std::function<std::string(const journal::DraftKey&)> bytes;
  } cases[] = {
      {"cut off",
       [](const journal::DraftKey& key) {
         const std::string whole = journal::encodeDraft({key, 1, "<P>lang</P>"});
         return whole.substr(0, whole.size() - 3);
       }},
      {"another item's",
       [](const journal::DraftKey& key) {
         return journal::encodeDraft({{key.baseUrl, "Sample 2"}, 1, "<P>x</P>"});
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    restart();
    ScriptedServer server(loadThenSave("<P>Server</P>", {}));
    editingContext().BaseUrl = "http://127.0.0.1:" + std::to_string(server.port()) + "/t";
    makeJournalFolder();
    const std::string bytes = c.bytes(key());
    test::writeFile(unownedFile(), bytes);
    form->btnLoad.click();

    ASSERT_EQ(fake.platform.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.platform.boxes.shown[0].kind, ui::MessageKind::Warning);
    EXPECT_FALSE(fs::exists(unownedFile()));
    std::vector<fs::path> aside;
    for (const auto& entry : fs::directory_iterator(fake.state.journal())) {
      aside.push_back(entry.path());
    }
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(test::readFile(aside[0]), bytes) << "kept byte for byte";
    EXPECT_NE(fake.platform.boxes.shown[0].text.find(aside[0].string()), std::string::npos);

    ScriptedServer again(loadThenSave("<P>Server</P>"));
    editingContext().BaseUrl = "http://127.0.0.1:" + std::to_string(again.port()) + "/t";
    form->btnLoad.click();
    EXPECT_EQ(fake.platform.boxes.shown.size(), 1u) << "reported once";
  }
}

TEST_F(DraftJournalTest, AWriteFailureIsReportedAtOnceAndOnlyOnce) {
  ScriptedServer server(loadThenSave("<P>a</P>"));
  load(server);
  // The journal folder cannot be made: a file stands in its way.
  fs::create_directories(fake.state.journal().parent_path());
  test::writeFile(fake.state.journal(), "not a folder");
  for (const char* body : {"<P>b</P>", "<P>c</P>"}) {
    edit(body);
    fake.platform.timerDouble.fireAll();  // the write goes out
    form->journal().flush();
    fake.platform.timerDouble.fireAll();  // its outcome comes back
    ASSERT_EQ(fake.platform.boxes.shown.size(), 1u) << "before any further change";
  }
  EXPECT_NE(fake.platform.boxes.shown[0].text.find("could not be written"), std::string::npos);
}

TEST_F(DraftJournalTest, AFolderOpenToOthersIsRefusedAndSaidSo) {
  for (const bool german : {false, true}) {
    SCOPED_TRACE(german ? "German" : "English");
    restart();
    if (german) selectGermanLanguage();
    makeJournalFolder();
    fs::permissions(fake.state.journal(), fs::perms::all);
    ScriptedServer server(loadThenSave("<P>a</P>"));
    load(server);
    ASSERT_EQ(fake.platform.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.platform.boxes.shown[0].kind, ui::MessageKind::Warning);
    EXPECT_EQ(fake.platform.boxes.shown[0].text,
              std::string(languageText(LanguageText::DraftFolderRefused))
                  .replace(languageText(LanguageText::DraftFolderRefused).find("%1"), 2,
                           fake.state.journal().string()));
    edit("<P>b</P>");
    fake.platform.timerDouble.fireAll();
    form->FormClosing();
    form->journal().flush();
    EXPECT_TRUE(fs::is_empty(fake.state.journal())) << "nothing kept there";
  }
}

TEST_F(DraftJournalTest, CancelKeepsTheDraftAndLaterEditsGoToADraftOfTheirOwn) {
  // Two loads of the item at one address.
  std::vector<test::ConnectionScript> loads = loadThenSave("<P>Server</P>");
  loads.push_back(loadThenSave("<P>Server</P>")[0]);
  ScriptedServer server(std::move(loads));
  editingContext().BaseUrl = "http://127.0.0.1:" + std::to_string(server.port()) + "/t";
  writeDraft("<P>Entwurf</P>", 1765100000);
  const std::string undecided = test::readFile(unownedFile());
  fake.platform.boxes.answers = {MessageButton::Cancel};
  form->btnLoad.click();
  edit("<P>neu</P>");
  fake.platform.timerDouble.fireAll();
  ASSERT_TRUE(draft());
  EXPECT_EQ(draft()->body, "<P>neu</P>");
  EXPECT_EQ(test::readFile(unownedFile()), undecided) << "never overwritten";

  // The next editor offers the newer draft first and says an older one
  // follows; taking it leaves the older one alone.
  form.reset();
  form = std::make_unique<TMainForm>();
  surface = fake.platform.lastSurface();
  fake.platform.boxes.shown.clear();
  fake.platform.boxes.answers = {MessageButton::Yes};
  form->btnLoad.click();
  ASSERT_EQ(fake.platform.boxes.shown.size(), 1u);
  EXPECT_NE(fake.platform.boxes.shown[0].text.find(": 1."), std::string::npos)
      << fake.platform.boxes.shown[0].text;
  EXPECT_EQ(surface->documentPuts.back(), wrapInDocumentTemplate("<P>neu</P>"));
  form->journal().flush();
  EXPECT_TRUE(fs::exists(unownedFile()));
}

TEST_F(DraftJournalTest, AnotherEditorsLiveDraftIsNeitherOfferedNorRemoved) {
  const journal::DraftKey item{"http://h/t", "Sample 1"};
  const auto editor = [&](std::string& body) {
    DraftJournal::Setup setup;
    setup.folder = fake.state.journal();
    setup.timers = &fake.platform.timerDouble;
    auto journal = std::make_unique<DraftJournal>(setup, [&body] {
      return std::optional<BodySnapshot>(BodySnapshot{body, BodySnapshot::Kind::Body});
    });
    journal->itemLoaded(item);
    return journal;
  };
  std::string first = "<P>a</P>", second = "<P>a</P>", third = "<P>a</P>";
  auto a = editor(first);
  a->documentCompleted();
  first = "<P>edit</P>";
  a->changed();
  fake.platform.timerDouble.fireAll();
  a->flush();
  const fs::path kept = fake.state.journal() / journal::draftFileName(item, a->owner());
  ASSERT_TRUE(fs::exists(kept));

  // A second editor on the same item, closed unchanged.
  auto b = editor(second);
  EXPECT_TRUE(b->documentCompleted().drafts.empty()) << "its owner still runs";
  b->closing();
  b.reset();
  EXPECT_TRUE(fs::exists(kept));

  // The first one goes without closing, as a killed one does.
  a.reset();
  auto c = editor(third);
  const DraftJournal::Found found = c->documentCompleted();
  ASSERT_EQ(found.drafts.size(), 1u);
  EXPECT_EQ(found.drafts[0].draft.body, "<P>edit</P>");
}

TEST_F(DraftJournalTest, DraftsOlderThanAMonthGoAtStart) {
  makeJournalFolder();
  const auto now = std::chrono::system_clock::now();
  const auto put = [&](const char* name, std::chrono::hours age) {
    test::writeFile(fake.state.journal() / name, "x");
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>((now - age).time_since_epoch()).count();
    const timeval times[2] = {{seconds, 0}, {seconds, 0}};
    ::utimes((fake.state.journal() / name).c_str(), times);
  };
  put("old.draft", std::chrono::hours(24 * 31));
  put("recent.draft", std::chrono::hours(24 * 29));
  TMainForm started;
  started.journal().flush();
  EXPECT_FALSE(fs::exists(fake.state.journal() / "old.draft"));
  EXPECT_TRUE(fs::exists(fake.state.journal() / "recent.draft"));
}

TEST_F(DraftJournalTest, InTheHtmlViewTheSourceTextIsTheDraftAndARestoreIsASourceEdit) {
  ScriptedServer server(loadThenSave("<P>a</P>"));
  load(server);
  form->PageControl.selectPage(1);
  form->mmoHTML.setText("<P>a</P>\r\n<P>b</P>");
  form->mmoHTML.onChange();  // as the view raises it for typing
  fake.platform.timerDouble.fireAll();
  ASSERT_TRUE(draft());
  EXPECT_EQ(draft()->body, "<P>a</P>\n<P>b</P>");

  // Loaded again in the HTML view, the draft is offered and restored there.
  fake.platform.boxes.answers = {MessageButton::Yes};
  ScriptedServer again(loadThenSave("<P>a</P>"));
  editingContext().BaseUrl = "http://127.0.0.1:" + std::to_string(again.port()) + "/t";
  writeDraft("<P>Entwurf</P>");
  surface->completeLoadsAutomatically = false;  // completes after the load, as the engine does
  form->btnLoad.click();
  surface->completeLoad();
  ASSERT_EQ(fake.platform.boxes.shown.size(), 1u);
  EXPECT_EQ(form->mmoHTML.text(), "<P>Entwurf</P>");
  EXPECT_TRUE(form->SourceModified);
  EXPECT_EQ(editingContext().ContentBody, "<P>Entwurf</P>");
}

}  // namespace
}  // namespace pellora
