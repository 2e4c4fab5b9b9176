// The image transfer around loading and saving: the dialog's lists, what a
// choice in the dialog sends, the rewriting of uploaded images, and the
// deletions that wait for an acknowledged save.
#include <gtest/gtest.h>

#include <functional>

#include "image_test_support.h"
#include "images/image_patterns.h"
#include "images/images.h"
#include "images/upload_form.h"

namespace pellora {
namespace {

using images::ScriptUrl;
using test::answering;
using test::bodyOf;
using test::ScriptedServer;
using Names = std::vector<std::string>;

// "del: a.gif[x] b.gif[ ] | up: C:\x\a.jpg[x]": one list's entries with their check marks.
std::string listText(const ui::Control& list) {
  std::string text;
  for (std::size_t i = 0; i < list.items().size(); ++i) {
    text += " " + list.items()[i] + (list.itemChecked(static_cast<int>(i)) ? "[x]" : "[ ]");
  }
  return text;
}
std::string dialogText(const TUploadForm& dialog) {
  return "del:" + listText(dialog.clbImagesDel) + " | up:" + listText(dialog.clbImagesUp);
}

// The first word of each request body ("deleteimage", "content", or the
// multipart "upload"; "check" for the GET that asks whether a name is
// taken), to see the order of requests.
std::string kindOf(const std::string& request) {
  if (request.rfind("GET ", 0) == 0) return "check";
  const std::string body = bodyOf(request);
  if (body.rfind("---", 0) == 0) return "upload";
  return body.substr(0, body.find('='));
}

class ImageTransferTest : public ::testing::Test, protected test::RequestBench {
 protected:
  // The user answers the dialog with `result` after `act` on it.
  void answerDialog(int result, std::function<void(TUploadForm&)> act = {}) {
    fake.platform.modalPresenter.scripts["UploadForm"] = [this, result, act](ui::Form& form) {
      auto& shown = static_cast<TUploadForm&>(form);
      dialogs.push_back(dialogText(shown));
      if (act) act(shown);
      return result;
    };
  }
  std::vector<std::string> requestKinds(const ScriptedServer& server) const {
    std::vector<std::string> kinds;
    for (const std::string& request : server.requests()) kinds.push_back(kindOf(request));
    return kinds;
  }
  // What a load records: `body` as the loaded document.
  void load(const std::string& body) {
    context.ContentBody = body;
    transfer.ScanServerImages();
  }
  std::string img(const std::string& src) const { return "<img src=\"" + src + "\">"; }
  std::string serverImg(const std::string& name) const {
    return img(images::ContentsUrl(context.BaseUrl) + name);
  }

  TUploadForm dialog;
  ImageTransfer transfer{http, display, context};
  std::vector<std::string> dialogs;
};

TEST_F(ImageTransferTest, ALoadRecordsEveryOccurrenceAndTheDialogOffersItOnce) {
  context.BaseUrl = "http://h/t";
  load("<IMG src=\"http://h/t/contents/a.gif\"><p>x</p><IMG src=\"http://h/t/contents/a.gif\">");
  EXPECT_EQ(transfer.ServerImages(), (Names{"a.gif", "a.gif"}));
  EXPECT_EQ(transfer.ContentsUrl(), "http://h/t/contents/");

  context.ContentBody = "<p>x</p>";
  answerDialog(ui::mrCancel);
  EXPECT_FALSE(transfer.TransferImages(&dialog));
  EXPECT_EQ(dialogs, (Names{"del: a.gif[x] | up:"}));

  load("<p>no images</p>");
  EXPECT_TRUE(transfer.ServerImages().empty()) << "each load replaces the record";
}

TEST_F(ImageTransferTest, NothingToTransferShowsNoDialog) {
  context.BaseUrl = "http://h/t";
  const struct {
    const char* why;
    std::string loaded, saved;
  } cases[] = {
      {"no load, no images", "", "<p>x</p>"},
      {"the image is still used", serverImg("a.gif"), serverImg("a.gif")},
      {"the name still occurs inside another", serverImg("a.gif"), serverImg("ba.gif")},
      {"a bare path is no local image", "", img("/home/u/p.png")},
  };
  for (const auto& c : cases) {
    load(c.loaded);
    context.ContentBody = c.saved;
    EXPECT_TRUE(transfer.TransferImages(&dialog)) << c.why;
    EXPECT_TRUE(transfer.TransferImages(nullptr)) << c.why << ": no dialog is needed";
    EXPECT_EQ(context.ContentBody, c.saved) << c.why;
  }
  EXPECT_TRUE(fake.platform.modalPresenter.shownForms.empty());
}

TEST_F(ImageTransferTest, AnImageWithATemporaryAddressStopsTheSaveBeforeAnything) {
  ScriptedServer server({});
  pointAt(server);
  load(serverImg("old.gif"));
  for (const std::string src : {"blob:http://h/5e1f", "DATA:image/png;base64,iVBO"}) {
    fake.platform.boxes.shown.clear();
    context.ContentBody = img(src) + img(R"(C:\x\a.jpg)");
    const std::string edited = context.ContentBody;
    EXPECT_FALSE(transfer.TransferImages(&dialog)) << src;
    EXPECT_EQ(context.ContentBody, edited);
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_NE(boxes()[0].text.find(src.substr(0, 5)), std::string::npos) << boxes()[0].text;
  }
  EXPECT_TRUE(fake.platform.modalPresenter.shownForms.empty());
  EXPECT_EQ(server.connections(), 0);
}

TEST_F(ImageTransferTest, AMissingDialogFailsLoudlyWhenItIsNeeded) {
  context.ContentBody = img(R"(C:\x\a.jpg)");
  EXPECT_THROW(transfer.TransferImages(nullptr), std::logic_error);
}

TEST_F(ImageTransferTest, CancelOrClosingTheDialogChangesNothing) {
  test::ImageDir dir;
  ScriptedServer server(test::freeNames(3));
  pointAt(server);
  load(serverImg("old.gif"));
  const std::string edited = img("file://" + dir.write("p.png", test::pngBytes("p")));
  for (const int result : {int(ui::mrCancel), int(ui::mrNone), int(ui::mrAbort)}) {
    context.ContentBody = edited;
    answerDialog(result);
    EXPECT_FALSE(transfer.TransferImages(&dialog)) << result;
    EXPECT_EQ(context.ContentBody, edited);
    EXPECT_TRUE(transfer.pendingDeletions().empty());
  }
  transfer.DeleteUnusedImages();
  EXPECT_EQ(requestKinds(server), Names(3, "check")) << "nothing but the names asked";
  EXPECT_TRUE(boxes().empty());
}

TEST_F(ImageTransferTest, UncheckingEverythingSendsNothingAndTheMarksComeBackNextTime) {
  test::ImageDir dir;
  ScriptedServer server(test::freeNames(4));
  pointAt(server);
  load(serverImg("old.gif"));
  const std::string path = dir.write("p.png", test::pngBytes("p"));
  context.ContentBody = img("file://" + path) + img(R"(C:\x\a.jpg)");
  const std::string edited = context.ContentBody;
  answerDialog(ui::mrOk, [](TUploadForm& d) {
    d.clbImagesDel.setItemChecked(0, false);
    d.clbImagesUp.setItemChecked(0, false);
    d.clbImagesUp.setItemChecked(1, false);
  });
  EXPECT_TRUE(transfer.TransferImages(&dialog));
  EXPECT_TRUE(transfer.TransferImages(&dialog));
  transfer.DeleteUnusedImages();
  const std::string offered = "del: old.gif[x] | up: " + path + "[x] C:\\x\\a.jpg[x]";
  EXPECT_EQ(dialogs, (Names{offered, offered}));
  EXPECT_EQ(context.ContentBody, edited);
  EXPECT_EQ(requestKinds(server), Names(4, "check"));
}

TEST_F(ImageTransferTest, AFailedUploadIsNotRewrittenWhileLaterOnesAreAndNothingIsDeleted) {
  test::ImageDir dir;
  const std::string a = dir.write("a.png", test::pngBytes("a"));
  const std::string b = dir.write("b.png", test::pngBytes("b"));
  const std::string d = dir.write("sub/d.png", test::pngBytes("d"));
  ScriptedServer server(
      test::freeNames(4, {answering("Error: a"), answering("OK"), answering("OK")}));
  pointAt(server);
  load(serverImg("old.gif"));
  const std::string aImg = img("file://" + a);
  const std::string cImg = img(R"(C:\x\c.jpg)");
  context.ContentBody = aImg + cImg + img("file://" + b) + img("file://" + d);
  answerDialog(ui::mrOk);

  EXPECT_FALSE(transfer.TransferImages(&dialog));
  EXPECT_EQ(context.ContentBody, aImg + cImg + serverImg("b.png") + serverImg("d.png"));
  EXPECT_EQ(requestKinds(server),
            (Names{"check", "check", "check", "check", "upload", "upload", "upload"}));
  ASSERT_EQ(boxes().size(), 2u);
  EXPECT_EQ(boxes()[0].text, "Server Response:        \r\nError: a");
  EXPECT_EQ(boxes()[1].text, "File \"C:\\x\\c.jpg\" not found!");
  EXPECT_TRUE(transfer.pendingDeletions().empty()) << "the save is abandoned";
  transfer.DeleteUnusedImages();
  EXPECT_EQ(server.requests().size(), 7u);
}

TEST_F(ImageTransferTest, DeletionsWaitForTheSaveAndEachOneIsTried) {
  test::ImageDir dir;
  const std::string path = dir.write("new.png", test::pngBytes("n"));
  ScriptedServer server(
      test::freeNames(1, {answering("OK"), answering("Error: busy"), answering("OK")}));
  pointAt(server);
  load(serverImg("old.gif") + serverImg("keep.gif") + serverImg("gone.gif"));
  context.ContentBody = serverImg("keep.gif") + img("file://" + path);
  answerDialog(ui::mrOk);

  EXPECT_TRUE(transfer.TransferImages(&dialog));
  EXPECT_EQ(dialogs, (Names{"del: old.gif[x] gone.gif[x] | up: " + path + "[x]"}));
  EXPECT_EQ(requestKinds(server), (Names{"check", "upload"})) << "no deletion before the save";
  EXPECT_EQ(context.ContentBody, serverImg("keep.gif") + serverImg("new.png"));
  EXPECT_EQ(transfer.pendingDeletions(), (Names{"old.gif", "gone.gif"}));

  statusTexts.clear();
  transfer.DeleteUnusedImages();
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(bodyOf(requests[2]).substr(0, 24), "deleteimage=old%2Egif&au");
  EXPECT_EQ(bodyOf(requests[3]).substr(0, 25), "deleteimage=gone%2Egif&au");
  EXPECT_EQ(statusTexts,
            (Names{"Deleting Image \"old.gif\" ...", "Deleting Image \"gone.gif\" ..."}));
  ASSERT_EQ(boxes().size(), 1u) << "the failed delete is shown, the next one still runs";
  EXPECT_EQ(boxes()[0].text, "Server Response:        \r\nError: busy");

  transfer.DeleteUnusedImages();
  EXPECT_EQ(server.requests().size(), 4u) << "deleted once only";
}

TEST_F(ImageTransferTest, OnlyCheckedEntriesAreTransferred) {
  test::ImageDir dir;
  const std::string first = dir.write("1.png", test::pngBytes("1"));
  const std::string second = dir.write("2.png", test::pngBytes("2"));
  ScriptedServer server(test::freeNames(2, {answering("OK")}));
  pointAt(server);
  load(serverImg("x.gif") + serverImg("y.gif"));
  context.ContentBody = img("file://" + first) + img("file://" + second);
  answerDialog(ui::mrOk, [](TUploadForm& d) {
    d.clbImagesDel.setItemChecked(0, false);
    d.clbImagesUp.setItemChecked(0, false);
  });
  EXPECT_TRUE(transfer.TransferImages(&dialog));
  EXPECT_EQ(context.ContentBody, img("file://" + first) + serverImg("2.png"));
  EXPECT_EQ(transfer.pendingDeletions(), (Names{"y.gif"}));
  ASSERT_EQ(server.requests().size(), 3u);
  EXPECT_NE(bodyOf(server.requests()[2]).find("filename=\"" + second + "\""), std::string::npos);
}

TEST_F(ImageTransferTest, PatternBytesInPathsAndBaseAddressesMatchThemselves) {
  test::ImageDir dir;
  const std::string path = dir.write("a(b/p.png", test::pngBytes("p"));
  ScriptedServer server(test::freeNames(1, {answering("OK")}));
  pointAt(server);
  load(serverImg("old.gif"));
  context.ContentBody = img("file://" + path);
  answerDialog(ui::mrOk);
  EXPECT_TRUE(transfer.TransferImages(&dialog));
  EXPECT_EQ(server.requests().size(), 2u);
  EXPECT_EQ(context.ContentBody, serverImg("p.png"));
  EXPECT_EQ(transfer.pendingDeletions(), (Names{"old.gif"}));

  context.BaseUrl = "http://h/t(";
  load(serverImg("x.gif"));
  EXPECT_EQ(transfer.ServerImages(), (Names{"x.gif"}));
}

// A removed server image and two local images, one that cannot exist here:
// the missing one stops the save with nothing deleted; without it, the save
// uploads, rewrites, posts, and only then deletes.
TEST_F(ImageTransferTest, AMissingLocalImageStopsTheSaveAndTheNextSaveDeletesLast) {
  test::ImageDir dir;
  const std::string photo = dir.write("photo.png", test::pngBytes("PNG"));
  // The photo stored by the first save keeps its name: only the other is
  // asked for again.
  ScriptedServer server({answering("", "404 Not Found"), answering("", "404 Not Found"),
                         answering("OK"), answering("", "404 Not Found"), answering("OK"),
                         answering("OK"), answering("OK")});
  pointAt(server);
  load("<p>" + serverImg("old.gif") + "</p>");
  const std::string edited =
      "<p>" + img(R"(C:\Pictures\missing.jpg)") + img("file://" + photo) + "</p>";
  // The save after the dialog, as the editor posts the content.
  auto saveAndDelete = [&] {
    std::string response;
    http.Post(ScriptUrl(context.BaseUrl), std::vector<std::string>{"content=x"}, response);
    if (response == "OK") transfer.DeleteUnusedImages();
  };

  context.ContentBody = edited;
  answerDialog(ui::mrOk);
  EXPECT_FALSE(transfer.TransferImages(&dialog));
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].kind, ui::MessageKind::Error);
  EXPECT_EQ(boxes()[0].text, "File \"C:\\Pictures\\missing.jpg\" not found!");
  EXPECT_EQ(requestKinds(server), (Names{"check", "check", "upload"})) << "no deletion, no save";

  // The next save takes the text from the view again.
  context.ContentBody = edited;
  answerDialog(ui::mrOk, [](TUploadForm& d) { d.clbImagesUp.setItemChecked(0, false); });
  EXPECT_TRUE(transfer.TransferImages(&dialog));
  EXPECT_EQ(context.ContentBody,
            "<p>" + img(R"(C:\Pictures\missing.jpg)") + serverImg("photo.png") + "</p>");
  saveAndDelete();

  const std::string offered = "del: old.gif[x] | up: C:\\Pictures\\missing.jpg[x] " + photo + "[x]";
  EXPECT_EQ(dialogs, (Names{offered, offered}));
  EXPECT_EQ(requestKinds(server),
            (Names{"check", "check", "upload", "check", "upload", "content", "deleteimage"}));
  EXPECT_EQ(bodyOf(server.requests()[6]),
            "deleteimage=old%2Egif&auth=" + context.AuthToken + "&content=Sample%201&");
}

}  // namespace
}  // namespace pellora
