// The control against a real installation: each test starts the built
// tessaron-server on a free loopback port with a private folder, creates the
// control through its class factory with the platform doubles installed, and
// drives it only through Invoke, as a host page does.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "control/application.h"
#include "control/ax_impl.h"
#include "control/class_factory.h"
#include "control/com_test_support.h"
#include "exchange/document_template.h"
#include "exchange/editing_context.h"
#include "images/image_requests.h"
#include "images/upload_form.h"
#include "support/fake_platform.h"
#include "support/loopback_listener.h"
#include "support/temp_dir.h"
#include "tessaron_server_process.h"

namespace pellora {
namespace {

using test::readFile;
using test::ServerProcess;
using test::TempDir;
using test::writeFile;

using test::Variant;

const std::string kToken = "0f3c9a7e51d2b8846a0e7c3f92d1b5a6";

int unusedPort() { return test::unusedLoopbackPort(); }

// The head of the answer to a plain GET of `target` on 127.0.0.1:`port`.
std::string answerHead(int port, const std::string& target) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(static_cast<std::uint16_t>(port));
  where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string answer;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0) {
    const std::string request = "GET " + target + " HTTP/1.1\r\nConnection: close\r\n\r\n";
    if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
        static_cast<ssize_t>(request.size())) {
      char piece[4096];
      pollfd entry{fd, POLLIN, 0};
      while (answer.find("\r\n\r\n") == std::string::npos && ::poll(&entry, 1, 30000) > 0) {
        const ssize_t n = ::recv(fd, piece, sizeof piece, 0);
        if (n <= 0) break;
        answer.append(piece, static_cast<std::size_t>(n));
      }
    }
  }
  ::close(fd);
  return answer.substr(0, answer.find("\r\n\r\n") + 2);
}

class IntegrationTest : public ::testing::Test {
 protected:
  void SetUp() override { startAll({}); }

  void startAll(const std::vector<std::string>& serverOptions) {
    std::filesystem::create_directory(root.path() / "contents");
    std::vector<std::string> args = {"--root", root.path().string(), "--token", kToken,
                                     "--base", "/tessaron",          "--port",  "0"};
    args.insert(args.end(), serverOptions.begin(), serverOptions.end());
    server = std::make_unique<ServerProcess>(args);

    resetEditingContextForTesting();
    ASSERT_EQ(getClassObject(CLSID_axEdit, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPellora, reinterpret_cast<void**>(&control)),
              S_OK);
    factory->Release();
    surface = fake.platform.lastSurface();
    application().MainForm->StatusPanel.changed.connect([this](ui::Control& c, ui::Property p) {
      if (p == ui::Property::Visible) panelShown.push_back(c.visible());
    });
  }

  void TearDown() override {
    if (control) control->Release();
    application() = {};
    server.reset();
  }

  std::filesystem::path contentsFile(const std::string& name) const {
    return root.path() / "contents" / name;
  }

  HRESULT invoke(DISPID id, std::vector<VARIANT> args = {}) {
    std::reverse(args.begin(), args.end());  // dispatch arguments go last-first
    DISPPARAMS params{args.data(), nullptr, static_cast<std::uint32_t>(args.size()), 0};
    Variant result;
    const HRESULT hr =
        control->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, &result.v, nullptr, nullptr);
    for (auto& arg : args) VariantClear(&arg);
    return hr;
  }

  void params(const std::u16string& url, const std::u16string& content,
              const std::u16string& auth) {
    VARIANT a, b, c;
    Variant::string(a, url);
    Variant::string(b, content);
    Variant::string(c, auth);
    ASSERT_EQ(invoke(DISPID_Params, {a, b, c}), S_OK);
  }

  std::u16string serverUrl() const {
    const std::string& url = server->baseUrl();
    return std::u16string(url.begin(), url.end());
  }

  // The user's edit in the visual view: the document the surface now holds.
  void editVisualBody(const std::string& body) { surface->document = wrapInDocumentTemplate(body); }

  std::vector<std::string> boxTexts() const {
    std::vector<std::string> texts;
    for (const auto& shown : fake.platform.boxes.shown) {
      EXPECT_EQ(shown.kind, ui::MessageKind::Warning) << shown.text;
      texts.push_back(shown.text);
    }
    return texts;
  }

  test::ScopedFakePlatform fake;
  TempDir root;
  std::unique_ptr<ServerProcess> server;
  IClassFactory* factory = nullptr;
  IPellora* control = nullptr;
  test::FakeEditingSurface* surface = nullptr;
  std::vector<bool> panelShown;
};

// ---- loading, with every framing of the answer body ----------------------

class LoadFramingTest : public IntegrationTest, public ::testing::WithParamInterface<std::string> {
 protected:
  void SetUp() override { startAll({"--framing", GetParam()}); }
};

TEST_P(LoadFramingTest, LoadWrapsTheStoredBodyAndCleansUp) {
  // Longer than one chunk, so a chunked answer arrives in several.
  std::string body =
      "<P>Gr\xFC\xDF"
      "e</P>\n";
  while (body.size() < 10000) body += "<P>Zeile \x80 \xE4\xF6\xFC</P>\n";
  writeFile(contentsFile("Sample 1.html"), body);
  params(serverUrl(), u"Sample 1", u"0f3c9a7e51d2b8846a0e7c3f92d1b5a6");
  ASSERT_EQ(invoke(DISPID_Load), S_OK);

  EXPECT_EQ(boxTexts(), std::vector<std::string>{});
  EXPECT_EQ(editingContext().ContentBody, body);
  ASSERT_EQ(surface->documentPuts.size(), 1u);
  EXPECT_EQ(surface->documentPuts[0],
            std::string(DocumentTemplateHead) + body + std::string(DocumentTemplateTail));
  EXPECT_EQ(application().MainForm->StatusLabel.caption(),
            "Please Wait! Loading Content \"Sample 1\" ...");
  EXPECT_EQ(panelShown, (std::vector<bool>{true, false})) << "shown, then hidden";
  ASSERT_FALSE(fake.platform.screenCursor.history.empty());
  EXPECT_EQ(fake.platform.screenCursor.history.front(), ui::CursorShape::HourGlass);
  EXPECT_EQ(fake.platform.screenCursor.shape, ui::CursorShape::Default);

  // The server did frame the body as asked.
  const std::string head = answerHead(server->port(), "/tessaron/contents/Sample%201.html");
  EXPECT_EQ(head.find("Transfer-Encoding: chunked\r\n") != std::string::npos,
            GetParam() == "chunked")
      << head;
  EXPECT_EQ(head.find("Content-Length: ") != std::string::npos, GetParam() == "length") << head;
}

INSTANTIATE_TEST_SUITE_P(Framings, LoadFramingTest,
                         ::testing::Values("length", "chunked", "close"));

// ---- saving ---------------------------------------------------------------

TEST_F(IntegrationTest, EditedBodyIsStoredWithLfLineEndsAndTheEditorCloses) {
  writeFile(contentsFile("Sample 1.html"), "<P>old</P>");
  params(serverUrl(), u"Sample 1", u"0f3c9a7e51d2b8846a0e7c3f92d1b5a6");
  ASSERT_EQ(invoke(DISPID_Load), S_OK);
  editVisualBody("<P>one</P>\r\n<P><STRONG>two</STRONG></P>\r\n");
  ASSERT_EQ(invoke(DISPID_Save), S_OK);

  EXPECT_EQ(boxTexts(), std::vector<std::string>{});
  EXPECT_EQ(readFile(contentsFile("Sample 1.html")), "<P>one</P>\n<P><B>two</B></P>");
  EXPECT_TRUE(editingContext().SaveSucceeded);
  EXPECT_FALSE(application().editorExists()) << "an acknowledged save closes the editor";
}

TEST_F(IntegrationTest, WindowsTextRoundTripsByteForByteUnderAnUmlautName) {
  std::string body =
      "<P>Gr\xFC\xDF"
      "e aus K\xF6ln: \xC4\xD6\xDC \xE4\xF6\xFC\xDF \x80 \x84quote\x93</P>\n<P>";
  for (int byte = 0xA0; byte <= 0xFF; ++byte) body += static_cast<char>(byte);
  body += "</P>";
  const std::string file =
      "K\xFC"
      "che.html";
  writeFile(contentsFile(file), body);
  params(serverUrl(), u"K\u00FCche", u"0f3c9a7e51d2b8846a0e7c3f92d1b5a6");
  ASSERT_EQ(invoke(DISPID_Load), S_OK);
  ASSERT_EQ(editingContext().ContentBody, body);
  ASSERT_EQ(invoke(DISPID_Save), S_OK);  // unchanged, from the visual view

  EXPECT_EQ(boxTexts(), std::vector<std::string>{});
  EXPECT_EQ(readFile(contentsFile(file)), body);
  EXPECT_FALSE(application().editorExists());
}

TEST_F(IntegrationTest, WrongTokenShowsTheServersTextAndLosesNothing) {
  writeFile(contentsFile("Sample 1.html"), "<P>stored</P>");
  params(serverUrl(), u"Sample 1", u"not-the-token");
  ASSERT_EQ(invoke(DISPID_Load), S_OK);  // reading needs no token
  editVisualBody("<P>my edit</P>");
  ASSERT_EQ(invoke(DISPID_Save), S_OK);

  EXPECT_EQ(boxTexts(),
            (std::vector<std::string>{"Server Response:        \r\nError:Access denied"}));
  ASSERT_TRUE(application().editorExists()) << "the editor stays open";
  EXPECT_FALSE(editingContext().SaveSucceeded);
  EXPECT_EQ(readFile(contentsFile("Sample 1.html")), "<P>stored</P>");
  EXPECT_EQ(surface->document, wrapInDocumentTemplate("<P>my edit</P>")) << "the edit is kept";
  EXPECT_FALSE(application().MainForm->StatusPanel.visible());

  // With the right token the same edit is stored.
  fake.platform.boxes.shown.clear();
  params(serverUrl(), u"Sample 1", u"0f3c9a7e51d2b8846a0e7c3f92d1b5a6");
  ASSERT_EQ(invoke(DISPID_Save), S_OK);
  EXPECT_EQ(boxTexts(), std::vector<std::string>{});
  EXPECT_EQ(readFile(contentsFile("Sample 1.html")), "<P>my edit</P>");
}

// ---- failures ---------------------------------------------------------------

TEST_F(IntegrationTest, MissingItemShowsTheStatusLineAndKeepsThePreviousDocument) {
  writeFile(contentsFile("Sample 1.html"), "<P>first</P>");
  params(serverUrl(), u"Sample 1", u"0f3c9a7e51d2b8846a0e7c3f92d1b5a6");
  ASSERT_EQ(invoke(DISPID_Load), S_OK);
  params(serverUrl(), u"Nowhere", u"0f3c9a7e51d2b8846a0e7c3f92d1b5a6");
  ASSERT_EQ(invoke(DISPID_Load), S_OK);

  EXPECT_EQ(boxTexts(), (std::vector<std::string>{"HTTP/1.1 404 Not Found"}));
  EXPECT_EQ(surface->documentPuts.size(), 1u);
  EXPECT_EQ(editingContext().ContentBody, "<P>first</P>");
  EXPECT_EQ(panelShown, (std::vector<bool>{true, false, true, false}));
  EXPECT_EQ(fake.platform.screenCursor.shape, ui::CursorShape::Default);
}

TEST_F(IntegrationTest, UnreachableServerEndsInAMessageAndTheEditorStays) {
  const std::string url = "http://127.0.0.1:" + std::to_string(unusedPort()) + "/tessaron";
  params(std::u16string(url.begin(), url.end()), u"Sample 1", u"0f3c9a7e51d2b8846a0e7c3f92d1b5a6");
  ASSERT_EQ(invoke(DISPID_Load), S_OK);
  editVisualBody("<P>typed while offline</P>");
  ASSERT_EQ(invoke(DISPID_Save), S_OK);

  const auto& shown = fake.platform.boxes.shown;
  ASSERT_EQ(shown.size(), 3u) << "the load's failure, the question before replacing the "
                                 "item that was never loaded (answered yes), the save's failure";
  EXPECT_FALSE(shown[0].text.empty());
  EXPECT_EQ(shown[1].kind, ui::MessageKind::Confirmation);
  EXPECT_NE(shown[1].text.find("was not loaded"), std::string::npos) << shown[1].text;
  EXPECT_EQ(shown[0].text, shown[2].text) << "the same connect failure both times";
  EXPECT_TRUE(surface->documentPuts.empty());
  EXPECT_TRUE(application().editorExists());
  EXPECT_EQ(surface->document, wrapInDocumentTemplate("<P>typed while offline</P>"));
  EXPECT_FALSE(application().MainForm->StatusPanel.visible());
  EXPECT_EQ(fake.platform.screenCursor.shape, ui::CursorShape::Default);
}

// ---- image requests through the editor's client -------------------------

TEST_F(IntegrationTest, ImagesAreUploadedServedAndDeleted) {
  TempDir local;
  const std::string image("GIF89a\x01\x00\x01\x00\r\n--\x00\xFF", 16);
  writeFile(local.path() / "my pic.gif", image);
  params(serverUrl(), u"Sample 1", u"0f3c9a7e51d2b8846a0e7c3f92d1b5a6");
  TMainForm& form = *application().MainForm;
  images::ImageRequests requests(form.IdHTTP, form.StatusDisplay, editingContext());

  // A listed POSIX path keeps the escapes of its file address.
  const std::string listed = (local.path() / "my%20pic.gif").string();
  ASSERT_TRUE(requests.UploadImage(listed));
  EXPECT_EQ(readFile(contentsFile("my pic.gif")), image);
  EXPECT_EQ(form.IdHTTP.Get(server->baseUrl() + "/contents/my%20pic.gif"), image);

  ASSERT_TRUE(requests.DeleteImage("my pic.gif"));
  EXPECT_FALSE(std::filesystem::exists(contentsFile("my pic.gif")));
  EXPECT_FALSE(requests.DeleteImage("my pic.gif"));
  EXPECT_EQ(boxTexts(),
            (std::vector<std::string>{"Server Response:        \r\nError:File not found"}));
}

// Local images are uploaded and rewritten, an unreadable one aborts the save
// before anything is deleted, and unused server images go only after the
// server stored the content.
TEST_F(IntegrationTest, ImagesAreUploadedAndUnusedOnesDeletedOnlyAfterTheSave) {
  TempDir local;
  const std::string png = "\x89PNG\r\n\x1A\nDATA";
  writeFile(local.path() / "photo.png", png);
  writeFile(contentsFile("old.gif"), "GIF");
  const std::string contents = server->baseUrl() + "/contents/";
  writeFile(contentsFile("Sample 1.html"), "<P><IMG src=\"" + contents + "old.gif\"></P>");
  params(serverUrl(), u"Sample 1", u"0f3c9a7e51d2b8846a0e7c3f92d1b5a6");
  TUploadForm& dialog = *application().UploadForm;
  ASSERT_EQ(invoke(DISPID_Load), S_OK);
  const std::string photo = (local.path() / "photo.png").string();
  const std::string edited =
      "<P><IMG src=\"C:\\Pictures\\missing.jpg\"><IMG src=\"file://" + photo + "\"></P>";
  editVisualBody(edited);
  std::vector<std::string> offered;
  bool uncheck = false;
  fake.platform.modalPresenter.scripts["UploadForm"] = [&](ui::Form&) {
    std::string s;
    for (auto& i : dialog.clbImagesDel.items()) s += "del " + i + ";";
    for (auto& i : dialog.clbImagesUp.items()) s += "up " + i + ";";
    offered.push_back(s);
    if (uncheck) dialog.clbImagesUp.setItemChecked(0, false);
    return ui::mrOk;
  };
  ASSERT_EQ(invoke(DISPID_Save), S_OK);
  ASSERT_EQ(fake.platform.boxes.shown.size(), 1u);
  EXPECT_EQ(fake.platform.boxes.shown[0].kind, ui::MessageKind::Error);
  EXPECT_EQ(fake.platform.boxes.shown[0].text, "File \"C:\\Pictures\\missing.jpg\" not found!");
  EXPECT_EQ(fake.platform.boxes.shown[0].buttons,
            std::vector<ui::MessageButton>{ui::MessageButton::Abort});
  EXPECT_TRUE(std::filesystem::exists(contentsFile("old.gif"))) << "no deletion";
  EXPECT_TRUE(application().editorExists());
  EXPECT_EQ(readFile(contentsFile("Sample 1.html")),
            "<P><IMG src=\"" + contents + "old.gif\"></P>");
  ASSERT_EQ(offered.size(), 1u);
  EXPECT_EQ(offered[0], "del old.gif;up C:\\Pictures\\missing.jpg;up " + photo + ";");
  uncheck = true;
  ASSERT_EQ(invoke(DISPID_Save), S_OK);
  EXPECT_EQ(fake.platform.boxes.shown.size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(contentsFile("old.gif")));
  EXPECT_EQ(readFile(contentsFile("photo.png")), png);
  const std::string stored = readFile(contentsFile("Sample 1.html"));
  EXPECT_EQ(offered.size(), 2u);
  EXPECT_EQ(stored, "<P><IMG src=\"C:\\Pictures\\missing.jpg\"><IMG src=\"" + contents +
                        "photo.png\"></P>");
  EXPECT_FALSE(application().editorExists());
}

}  // namespace
}  // namespace pellora
