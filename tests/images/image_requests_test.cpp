// The delete and upload requests against scripted servers on loopback.
#include "images/image_requests.h"

#include <gtest/gtest.h>

#include <functional>

#include "image_test_support.h"

namespace pellora::images {
namespace {

using test::answering;
using test::bodyOf;
using test::headerOf;
using test::requestLineOf;
using test::ScriptedServer;

const std::string kDelimiter = "-----------------------------7d11a9202023c";

// The upload body as the server script expects it, written out part by part.
std::string expectedUpload(const std::string& token, const std::string& content,
                           const std::string& fileName, const std::string& bytes) {
  return kDelimiter + "\r\n" +                                     // 1
         "Content-Disposition: form-data; name=\"auth\"\r\n" +     // 2
         "\r\n" + token + "\r\n" +                                 // 3-5
         kDelimiter + "\r\n" +                                     // 6
         "Content-Disposition: form-data; name=\"content\"\r\n" +  // 7
         "\r\n" + content + "\r\n" +                               // 8-10
         kDelimiter + "\r\n" +                                     // 11
         "Content-Disposition: form-data; name=\"imagefile\"; filename=\"" + fileName + "\"\r\n" +
         "Content-Type: image/pjpeg\r\n" +  // 13
         "\r\n" + bytes +                   // 14-15
         "\r\n" + kDelimiter + "--\r\n";    // 16
}

class ImageRequestsTest : public ::testing::Test, protected test::RequestBench {
 protected:
  ImageRequests requests{http, display, context};
};

TEST_F(ImageRequestsTest, DeleteSendsTheEncodedFieldsToTheScript) {
  ScriptedServer server({answering("OK")});
  pointAt(server);
  context.AuthToken = "T";
  context.ContentName = "Sample 1";
  EXPECT_TRUE(requests.DeleteImage("my pic.gif"));
  ASSERT_EQ(server.requests().size(), 1u);
  const std::string request = server.requests()[0];
  EXPECT_EQ(requestLineOf(request), "POST /t/edit.php HTTP/1.0");
  EXPECT_EQ(headerOf(request, "Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(bodyOf(request), "deleteimage=my%20pic%2Egif&auth=T&content=Sample%201&");
  EXPECT_EQ(statusTexts, (std::vector<std::string>{"Deleting Image \"my pic.gif\" ..."}));
  EXPECT_FALSE(panel.visible());
  EXPECT_EQ(fake.platform.screenCursor.history,
            (std::vector<ui::CursorShape>{ui::CursorShape::HourGlass, ui::CursorShape::Default}));
  EXPECT_TRUE(boxes().empty());
}

TEST_F(ImageRequestsTest, DeleteFieldsCannotBeBrokenByNameOrToken) {
  // Unencoded, each of these would add or split a form field.
  const auto fields = deleteImageFields("a&b=c.gif", "News & Views\r\nx=1", "to&ken=");
  EXPECT_EQ(fields, (std::vector<std::string>{"deleteimage=a%26b%3Dc%2Egif", "auth=to%26ken%3D",
                                              "content=News%20%26%20Views%0D%0Ax%3D1"}));
  EXPECT_EQ(deleteImageFields("a.gif", "c", "0f3c9a7e51d2b8846a0e7c3f92d1b5a6")[1],
            "auth=0f3c9a7e51d2b8846a0e7c3f92d1b5a6")
      << "a hexadecimal token is unchanged";
}

TEST_F(ImageRequestsTest, UploadSendsTheMultipartBodyByteForByte) {
  test::ImageDir dir;
  const std::string bytes("GIF89a\0\x01\xFF\r\n--", 13);
  const std::string path = dir.write("p.gif", bytes);
  ScriptedServer server({answering("OK")});
  pointAt(server);
  context.AuthToken = "T0k";
  context.ContentName = "Sample 1";
  EXPECT_TRUE(requests.UploadImage(path));
  ASSERT_EQ(server.requests().size(), 1u);
  const std::string request = server.requests()[0];
  EXPECT_EQ(requestLineOf(request), "POST /t/edit.php HTTP/1.0");
  EXPECT_EQ(headerOf(request, "Content-Type"),
            "multipart/form-data; boundary=---------------------------7d11a9202023c");
  const std::string expected = expectedUpload("T0k", "Sample 1", path, bytes);
  EXPECT_EQ(bodyOf(request), expected);
  EXPECT_EQ(headerOf(request, "Content-Length"), std::to_string(expected.size()));
  EXPECT_EQ(statusTexts, (std::vector<std::string>{"Uploading Image \"" + path + "\" ..."}));
  EXPECT_FALSE(panel.visible());
  EXPECT_EQ(fake.platform.screenCursor.shape, ui::CursorShape::Default);
}

TEST_F(ImageRequestsTest, UploadOfAnEmptyFileKeepsEveryPart) {
  test::ImageDir dir;
  const std::string path = dir.write("empty.png", "");
  ScriptedServer server({answering("OK")});
  pointAt(server);
  EXPECT_TRUE(requests.UploadImage(path));
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(bodyOf(server.requests()[0]),
            expectedUpload(context.AuthToken, context.ContentName, path, ""));
}

TEST_F(ImageRequestsTest, UploadNamesTheDecodedPathButShowsTheListedOne) {
  test::ImageDir dir;
  const std::string file = dir.write("my pic.png", "png");
  const std::string listed = dir.path() + "/my%20pic.png";
  ScriptedServer server({answering("OK")});
  pointAt(server);
  EXPECT_TRUE(requests.UploadImage(listed));
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(bodyOf(server.requests()[0]),
            expectedUpload(context.AuthToken, context.ContentName, file, "png"));
  EXPECT_EQ(statusTexts, (std::vector<std::string>{"Uploading Image \"" + listed + "\" ..."}));
}

TEST_F(ImageRequestsTest, UploadBodyCarriesDrivePathsAsTheyStand) {
  EXPECT_EQ(uploadImageBody("T", "Sample 1", R"(C:\Pictures\photo.jpg)", "xy"),
            expectedUpload("T", "Sample 1", R"(C:\Pictures\photo.jpg)", "xy"));
}

TEST_F(ImageRequestsTest, UnreadableFilesAreNotFoundWithoutARequest) {
  test::ImageDir dir;
  ScriptedServer server({});
  pointAt(server);
  const std::string paths[] = {dir.path() + "/missing.png", dir.path(), R"(C:\Pictures\photo.jpg)"};
  for (const std::string& path : paths) {
    fake.platform.boxes.shown.clear();
    EXPECT_FALSE(requests.UploadImage(path)) << path;
    ASSERT_EQ(boxes().size(), 1u) << path;
    EXPECT_EQ(boxes()[0].kind, ui::MessageKind::Error);
    EXPECT_EQ(boxes()[0].text, "File \"" + path + "\" not found!");
    EXPECT_EQ(boxes()[0].buttons, (std::vector<ui::MessageButton>{ui::MessageButton::Abort}));
  }
  EXPECT_EQ(server.connections(), 0);
  EXPECT_TRUE(statusTexts.empty()) << "the status panel is not shown";
  EXPECT_TRUE(fake.platform.screenCursor.history.empty());
}

// Both requests judge the answer the same way.
TEST_F(ImageRequestsTest, AnswersOtherThanOkAreShownThroughTheServerResponseBox) {
  test::ImageDir dir;
  const std::string image = dir.write("a.png", "a");
  const std::function<bool()> sends[] = {[&] { return requests.DeleteImage("a.png"); },
                                         [&] { return requests.UploadImage(image); }};
  const std::string prefix = "Server Response:        \r\n";
  const struct Case {
    std::string status, body;
    bool ok;
    std::string box;
  } cases[] = {
      {"200 OK", "  OK\r\n", true, ""},
      {"200 OK", "OK", true, ""},
      {"200 OK", "ok", false, prefix + "ok"},
      {"200 OK", "OK.", false, prefix + "OK."},
      {"200 OK", "Error", false, prefix + "Error"},
      {"200 OK", "", false, prefix},
      {"200 OK", "Error:<br>File not found\r\n", false, prefix + "Error:File not found"},
      {"500 Internal Server Error", "OK", false, "HTTP/1.1 500 Internal Server Error"},
  };
  for (const auto& send : sends) {
    for (const Case& c : cases) {
      ScriptedServer server({answering(c.body, c.status)});
      pointAt(server);
      fake.platform.boxes.shown.clear();
      panelVisibleDuringBoxes.clear();
      EXPECT_EQ(send(), c.ok) << c.body;
      if (c.ok) {
        EXPECT_TRUE(boxes().empty()) << c.body;
        continue;
      }
      ASSERT_EQ(boxes().size(), 1u) << c.body;
      EXPECT_EQ(boxes()[0].kind, ui::MessageKind::Warning);
      EXPECT_EQ(boxes()[0].text, c.box);
      EXPECT_EQ(boxes()[0].buttons, (std::vector<ui::MessageButton>{ui::MessageButton::OK}));
      EXPECT_EQ(panelVisibleDuringBoxes, (std::vector<bool>{true})) << "box before cleanup";
      EXPECT_FALSE(panel.visible());
    }
  }
}

TEST_F(ImageRequestsTest, AConnectionThatEndsWithoutAnswerIsAWarning) {
  ScriptedServer server({{test::readRequest(), test::closeConnection()}});
  pointAt(server);
  EXPECT_FALSE(requests.DeleteImage("a.gif"));
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].kind, ui::MessageKind::Warning);
  EXPECT_FALSE(boxes()[0].text.empty());
  EXPECT_FALSE(panel.visible());
  EXPECT_EQ(fake.platform.screenCursor.shape, ui::CursorShape::Default);
}

}  // namespace
}  // namespace pellora::images
