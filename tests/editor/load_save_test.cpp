// Loading and saving on the editor form, against scripted servers on
// loopback.
#include <gtest/gtest.h>

#include "editor/inserttable.h"
#include "editor/main_form.h"
#include "exchange/document_template.h"
#include "exchange/editing_context.h"
#include "images/upload_form.h"
#include "settings/about.h"
#include "settings/options.h"
#include "support/fake_platform.h"
#include "support/http_test_server.h"

namespace pellora {
namespace {

using test::readRequest;
using test::ScriptedServer;
using test::sendBytes;

std::string answer(const std::string& status, const std::string& body) {
  return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

// The body of the single request a server received.
std::string requestBody(const ScriptedServer& server) {
  const auto requests = server.requests();
  if (requests.empty()) return "<no request>";
  return requests.back().substr(requests.back().find("\r\n\r\n") + 4);
}

std::string requestLine(const ScriptedServer& server) {
  const auto requests = server.requests();
  if (requests.empty()) return "<no request>";
  return requests.back().substr(0, requests.back().find("\r\n"));
}

class LoadSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetEditingContextForTesting();
    form = std::make_unique<TMainForm>();
    surface = fake.platform.lastSurface();
    // The panel and the hourglass must be up while the box is open.
    fake.platform.boxes.whileShown = [this](const test::ShownMessage&) {
      panelVisibleDuringBox.push_back(form->StatusPanel.visible());
    };
  }
  void pointAt(const ScriptedServer& server) {
    editingContext().BaseUrl = "http://127.0.0.1:" + std::to_string(server.port()) + "/t";
  }

  test::ScopedFakePlatform fake;
  std::unique_ptr<TMainForm> form;
  test::FakeEditingSurface* surface = nullptr;
  std::vector<bool> panelVisibleDuringBox;
};

TEST_F(LoadSaveTest, LoadWrapsTheBodyInTheTemplateAndCleansUp) {
  ScriptedServer server({{readRequest(), sendBytes(answer("200 OK",
                                                          "<P>K\xFC"
                                                          "che</P>"))}});
  pointAt(server);
  editingContext().ContentName = "Sample 1";
  std::vector<std::string> labels;
  form->StatusLabel.changed.connect(
      [&](ui::Control& c, ui::Property) { labels.push_back(c.caption()); });
  form->btnLoad.click();

  EXPECT_EQ(requestLine(server), "GET /t/contents/Sample%201.html HTTP/1.1");
  EXPECT_EQ(editingContext().ContentBody,
            "<P>K\xFC"
            "che</P>");
  ASSERT_FALSE(surface->documentPuts.empty());
  EXPECT_EQ(surface->documentPuts.back(), std::string(DocumentTemplateHead) +
                                              "<P>K\xFC"
                                              "che</P>" +
                                              std::string(DocumentTemplateTail));
  EXPECT_EQ(DocumentTemplateHead.size(), 86u);
  EXPECT_EQ(labels, (std::vector<std::string>{"Please Wait! Loading Content \"Sample 1\" ..."}));
  EXPECT_FALSE(form->StatusPanel.visible());
  EXPECT_EQ(fake.platform.screenCursor.shape, ui::CursorShape::Default);
  EXPECT_EQ(fake.platform.screenCursor.history.front(), ui::CursorShape::HourGlass);
  EXPECT_TRUE(fake.platform.boxes.shown.empty());
}

TEST_F(LoadSaveTest, FailedLoadShowsTheStatusLineAndKeepsTheDocument) {
  ScriptedServer server({{readRequest(), sendBytes(answer("404 Not Found", "nope"))}});
  pointAt(server);
  editingContext().ContentBody = "<P>old</P>";
  editingContext().EditOptions = "nohtml";
  form->btnLoad.click();
  ASSERT_EQ(fake.platform.boxes.shown.size(), 1u);
  EXPECT_EQ(fake.platform.boxes.shown[0].kind, ui::MessageKind::Warning);
  EXPECT_EQ(fake.platform.boxes.shown[0].text, "HTTP/1.1 404 Not Found");
  EXPECT_EQ(panelVisibleDuringBox, (std::vector<bool>{true})) << "box before the cleanup";
  EXPECT_TRUE(surface->documentPuts.empty());
  EXPECT_EQ(editingContext().ContentBody, "<P>old</P>");
  EXPECT_FALSE(form->StatusPanel.visible());
  EXPECT_FALSE(form->TabSheet2.visible()) << "options apply after a failed load too";
}

// A load that failed leaves an editor without the stored item: a save must
// not replace the item with nothing (it posted an empty body), and replaces
// it with what was typed only when the user says so.
TEST_F(LoadSaveTest, ASaveAfterAFailedLoadNeverReplacesTheItemUnasked) {
  const struct {
    const char* what;
    const char* typed;
    ui::MessageButton answer;
    const char* question;     // part of the question asked
    const char* nextRequest;  // the request line after the failed GET, or none
  } rows[] = {
      {"nothing typed, no reload", "", ui::MessageButton::No, "Saving now would replace", nullptr},
      {"nothing typed, loaded again", "", ui::MessageButton::Yes, "Load \"Sample 1\" again?",
       "GET /t/contents/Sample%201.html HTTP/1.1"},
      {"typed, kept", "<p>mine</p>", ui::MessageButton::No, "Replace the stored item", nullptr},
      {"typed, stored on request", "<p>mine</p>", ui::MessageButton::Yes, "Replace the stored item",
       "POST /t/edit.php HTTP/1.0"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    form = std::make_unique<TMainForm>();
    ScriptedServer server({{readRequest(), sendBytes(answer("503 Service Unavailable", "busy"))},
                           {readRequest(), sendBytes(answer("200 OK", "OK"))}});
    pointAt(server);
    form->btnLoad.click();
    form->PageControl.selectPage(1);
    form->mmoHTML.setText(row.typed);
    form->mmoHTML.onChange();
    fake.platform.boxes.shown.clear();
    fake.platform.boxes.answers = {row.answer};
    form->btnSave.click();
    ASSERT_FALSE(fake.platform.boxes.shown.empty());
    EXPECT_NE(fake.platform.boxes.shown[0].text.find(row.question), std::string::npos)
        << fake.platform.boxes.shown[0].text;
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), row.nextRequest ? 2u : 1u);
    if (row.nextRequest) {
      EXPECT_EQ(requestLine(server), row.nextRequest);
    }
    EXPECT_EQ(editingContext().SaveSucceeded, row.nextRequest && row.typed[0] != 0);
  }
}

// An item that names local files in spellings its text scan misses (the
// engine spells them out once loaded): none of them starts checked, so an
// upload dialog accepted as offered sends none of the user's files.
TEST_F(LoadSaveTest, LocalFilesTheEngineSpellsOutOfALoadedItemStartUnchecked) {
  const std::string raw =
      "<p><img src='file:///home/u/a.png'><img src=&#102;ile:///home/u/b.png>"
      "<img src=\"pellora-local:///home/u/c.png\"></p>";
  const std::string engine =
      "<p><img src=\"file:///home/u/a.png\"><img src=\"file:///home/u/b.png\">"
      "<img src=\"file:///home/u/c.png\"></p>";
  // The load, then the upload names asked before the dialog: all free.
  const auto notThere =
      test::ConnectionScript{readRequest(), sendBytes(answer("404 Not Found", ""))};
  ScriptedServer server(
      {{readRequest(), sendBytes(answer("200 OK", raw))}, notThere, notThere, notThere});
  pointAt(server);
  surface->completeLoadsAutomatically = false;
  form->btnLoad.click();
  // The engine's document once the load completes.
  surface->document = wrapInDocumentTemplate(engine);
  surface->dom.innerHTML = engine;
  surface->completeLoad();
  TUploadForm dialog;
  form->dialogs.UploadForm = &dialog;
  std::vector<bool> checked;
  fake.platform.modalPresenter.scripts["UploadForm"] = [&](ui::Form&) {
    const ui::Control& uploads = dialog.clbImagesUp;
    for (int i = 0; i < static_cast<int>(uploads.items().size()); ++i) {
      checked.push_back(uploads.itemChecked(i));
    }
    return ui::mrCancel;
  };
  form->btnSave.click();
  EXPECT_EQ(checked, std::vector<bool>(3, false)) << "listed, each unchecked";
}

TEST_F(LoadSaveTest, UnusableAddressesEndInAMessageNotACrash) {
  for (const std::string base : {"", "http://", "https://example.test/t"}) {
    editingContext().BaseUrl = base;
    form->btnLoad.click();
  }
  ASSERT_EQ(fake.platform.boxes.shown.size(), 3u);
  EXPECT_EQ(fake.platform.boxes.shown[2].text, "IOHandler value is not valid");
  EXPECT_TRUE(surface->documentPuts.empty());
}

TEST_F(LoadSaveTest, LoadingWhileTheHtmlViewIsActiveRefillsIt) {
  ScriptedServer server({{readRequest(), sendBytes(answer("200 OK", "<P>new</P>"))}});
  pointAt(server);
  surface->setDocumentHTML(wrapInDocumentTemplate("<P>old</P>"));
  form->PageControl.selectPage(1);
  form->mmoHTML.setText("<P>stale edit</P>");
  form->mmoHTML.onChange();
  form->btnLoad.click();
  EXPECT_EQ(form->mmoHTML.text(), "<P>new</P>");
  EXPECT_FALSE(form->SourceModified);
  const auto puts = surface->documentPuts.size();
  form->PageControl.selectPage(0);
  EXPECT_EQ(surface->documentPuts.size(), puts) << "the stale text must not come back";
}

TEST_F(LoadSaveTest, EveryLoadTakesTheProxyFromTheSettingsDialogsFields) {
  ScriptedServer proxy({{readRequest(), sendBytes(answer("200 OK", "<P>via proxy</P>"))}});
  ScriptedServer direct({{readRequest(), sendBytes(answer("200 OK", "<P>direct</P>"))}});
  TTableForm table;
  TUploadForm upload;
  TAboutForm about;
  TOptionsForm options(settings::RegistryStore::forProcess(), {*form, table, upload, about});
  form->dialogs.OptionsForm = &options;
  editingContext().BaseUrl = "http://content.example:8080/t";

  // Ticked and typed, never stored (as after Cancel): the next load uses it.
  options.cbProxy.setChecked(true);
  options.edProxy.setText("127.0.0.1");
  options.edPort.setText(std::to_string(proxy.port()));
  form->btnLoad.click();
  EXPECT_EQ(requestLine(proxy),
            "GET http://content.example:8080/t/contents/Sample%201.html HTTP/1.1");
  EXPECT_EQ(editingContext().ContentBody, "<P>via proxy</P>");

  options.cbProxy.setChecked(false);
  pointAt(direct);
  form->btnLoad.click();
  EXPECT_EQ(requestLine(direct), "GET /t/contents/Sample%201.html HTTP/1.1");
  EXPECT_EQ(form->IdHTTP.ProxyParams.ProxyServer, "");
  EXPECT_EQ(form->IdHTTP.ProxyParams.ProxyPort, 0);
}

TEST_F(LoadSaveTest, SaveFromTheHtmlViewPostsTheFourFields) {
  ScriptedServer server({{readRequest(), sendBytes(answer("200 OK", "  OK\r\n"))}});
  pointAt(server);
  surface->setDocumentHTML(wrapInDocumentTemplate(""));
  form->PageControl.selectPage(1);
  form->mmoHTML.setText("a\r\nb\rc");
  form->mmoHTML.onChange();
  form->btnSave.click();
  EXPECT_EQ(requestLine(server), "POST /t/edit.php HTTP/1.0");
  EXPECT_EQ(requestBody(server),
            "content=Sample%201&htmlsource=a%0Ab%0Dc&auth=0f3c9a7e51d2b8846a0e7c3f92d1b5a6&"
            "edtype=ax&");
  EXPECT_TRUE(editingContext().SaveSucceeded);
  EXPECT_EQ(editingContext().ContentBody, "a\nb\rc") << "LF line ends stay";
  EXPECT_TRUE(fake.platform.boxes.shown.empty());
  EXPECT_FALSE(form->StatusPanel.visible());
}

TEST_F(LoadSaveTest, SaveFromTheVisualViewFiltersAndExtractsTheBody) {
  ScriptedServer server({{readRequest(), sendBytes(answer("200 OK", "OK"))}});
  pointAt(server);
  surface->editingAddition = "<STYLE>marks</STYLE>";
  surface->setDocumentHTML(
      "<html><head><STYLE>marks</STYLE></head><body><STRONG>x</STRONG></body></html>");
  form->btnSave.click();
  EXPECT_EQ(
      requestBody(server),
      "content=Sample%201&htmlsource=%3CB%3Ex%3C%2FB%3E&auth=0f3c9a7e51d2b8846a0e7c3f92d1b5a6&"
      "edtype=ax&");
}

// The form is encoded while it goes out, and the window stays alive
// meanwhile: an edit in the HTML view during a slow save replaces the text
// the editor holds. What goes out is the text as it was when Save was
// pressed, whole (it had read freed memory).
TEST_F(LoadSaveTest, AnEditDuringASlowSaveLeavesWhatIsSentAlone) {
  test::Gate serverReads;
  ScriptedServer server(
      {{test::awaitGate(serverReads), readRequest(), sendBytes(answer("200 OK", "OK"))}});
  pointAt(server);
  surface->setDocumentHTML(wrapInDocumentTemplate(""));
  form->PageControl.selectPage(1);
  // Larger than what the connection buffers while the server does not read.
  const std::string saved(32u << 20, 'a');
  form->mmoHTML.setText(saved);
  form->mmoHTML.onChange();
  int pumps = 0;
  fake.platform.pumpDouble.onPump = [&] {
    if (++pumps > 1) return;
    form->mmoHTML.setText("typed while saving");
    form->mmoHTML.onChange();
    (void)editingContext();  // whoever reads the context next takes the new text
    serverReads.open();
  };
  form->btnSave.click();
  fake.platform.pumpDouble.onPump = nullptr;
  ASSERT_GE(pumps, 1) << "the send never waited; the test needs a larger body";
  const std::string expected = "content=Sample%201&htmlsource=" + saved +
                               "&auth=0f3c9a7e51d2b8846a0e7c3f92d1b5a6&edtype=ax&";
  const std::string sent = requestBody(server);
  EXPECT_EQ(sent.size(), expected.size());
  EXPECT_TRUE(sent == expected) << "the body sent differs from the text saved";
  EXPECT_TRUE(editingContext().SaveSucceeded);
}

TEST_F(LoadSaveTest, RefusedSavesShowTheAnswerAndKeepTheEditor) {
  struct Case {
    std::string reply;
    std::string box;
  } cases[] = {
      {answer("200 OK", "ok"), "Server Response:        \r\nok"},
      {answer("200 OK", "OK."), "Server Response:        \r\nOK."},
      {answer("200 OK", ""), "Server Response:        \r\n"},
      {answer("200 OK", "Error:<br>Access <B>denied</B>"),
       "Server Response:        \r\nError:Access denied"},
      {answer("500 Internal Server Error", "boom"), "HTTP/1.1 500 Internal Server Error"},
  };
  for (const auto& c : cases) {
    ScriptedServer server({{readRequest(), sendBytes(c.reply)}});
    pointAt(server);
    fake.platform.boxes.shown.clear();
    form->btnSave.click();
    ASSERT_EQ(fake.platform.boxes.shown.size(), 1u) << c.box;
    EXPECT_EQ(fake.platform.boxes.shown[0].text, c.box);
    EXPECT_FALSE(editingContext().SaveSucceeded);
  }
}

}  // namespace
}  // namespace pellora
