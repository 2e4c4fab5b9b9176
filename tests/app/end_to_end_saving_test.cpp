// What a save stores, through the host with the real module, WebKit,
// GtkSourceView and tessaron-server: saving while the visual view is still
// loading stores the item loaded last, never the page shown before it, an
// undo in the freshly opened HTML view cannot empty the item, images
// changed through both views reach the server's folder, and a picture
// pasted from the clipboard is kept as a file and uploaded.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>

#include "app/host/server_process.h"
#include "host_run.h"
#include "support/loopback_listener.h"
#include "support/temp_dir.h"

namespace pellora {
namespace {

namespace fs = std::filesystem;

using test::readFile;
using test::writeFile;

const std::string kToken = "race-token";

// Large enough that the page is still being parsed when the save comes.
std::string bodyOf(const std::string& item) {
  std::string body;
  for (int i = 0; i < 400; ++i) {
    body += "<p>" + item + " paragraph " + std::to_string(i) + " <b>bold</b> and text</p>";
  }
  return body;
}

ino_t inodeOf(const fs::path& file) {
  struct stat info {};
  return ::stat(file.c_str(), &info) == 0 ? info.st_ino : 0;
}

class SavingEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display (scripts/test runs xvfb-run)";
    fs::create_directories(contents());
    fs::create_directories(dir / "registry");
    server = std::make_unique<host::ServerProcess>(TESSARON_SERVER_PATH, (dir / "site").string(),
                                                   kToken);
  }
  fs::path contents() const { return dir / "site" / "contents"; }
  fs::path itemFile(const std::string& item) const { return contents() / (item + ".html"); }
  std::string params(const std::string& item) const {
    return "Params \"" + server->baseUrl() + "\" \"" + item + "\" \"" + kToken + "\"\n";
  }

  // Runs the host, which first loads `first` and waits for it, then `steps`;
  // returns what it printed.
  std::string run(const std::string& first, const std::string& steps) {
    writeFile(dir / "script.txt", steps);
    return test::captureOutput(
        test::hostCommand(dir / "registry",
                          "--url '" + server->baseUrl() + "' --content '" + first + "' --auth '" +
                              kToken + "' --script '" + (dir / "script.txt").string() + "'",
                          "XDG_CACHE_HOME='" + (dir / "cache").string() + "' "),
        exitStatus);
  }

  test::TempDir temp;
  const fs::path dir = temp.path();
  std::unique_ptr<host::ServerProcess> server;
  int exitStatus = -1;
};

// Each round loads one item, then the other, and saves at once; the
// variants differ in how far the first page got before the second load.
TEST_F(SavingEndToEndTest, SaveRightAfterLoadStoresTheItemLoadedLast) {
  const std::string items[2] = {"Item A", "Item B"};
  constexpr int kRounds = 24;
  for (int round = 0; round < kRounds; ++round) {
    for (const std::string& item : items) writeFile(itemFile(item), bodyOf(item));
    const std::string& saved = items[round % 2];
    const std::string& other = items[1 - round % 2];
    std::string steps;
    switch (round % 3) {
      case 0:  // the first page shown and complete
        steps = params(saved) + "Load\nSave\n";
        break;
      case 1:  // the first page itself still loading
        steps = params(other) + "Load\n" + params(saved) + "Load\nSave\n";
        break;
      default:  // loads of the same item on top of each other
        steps = params(saved) + "Load\nLoad\n" + params(saved) + "Load\nSave\n";
        break;
    }
    const ino_t before = inodeOf(itemFile(saved));
    const std::string output = run(other, steps);
    SCOPED_TRACE("round " + std::to_string(round) + "\n" + output);
    EXPECT_EQ(exitStatus, 0);
    EXPECT_EQ(output.find("failed"), std::string::npos);
    EXPECT_EQ(output.find("answered"), std::string::npos) << "no message box";
    EXPECT_NE(inodeOf(itemFile(saved)), before) << "the server stored the item";
    const std::string stored = readFile(itemFile(saved));
    EXPECT_TRUE(stored == bodyOf(saved))
        << saved << " holds " << (stored == bodyOf(other) ? other + "'s body" : stored);
    EXPECT_TRUE(readFile(itemFile(other)) == bodyOf(other)) << "the other item untouched";
    if (HasFailure()) break;
  }
}

TEST_F(SavingEndToEndTest, CtrlZInTheFreshHtmlViewLeavesTheItemWhole) {
  const std::string body = "<p>Hello <b>world</b></p>";
  writeFile(itemFile("Item A"), body);
  const ino_t before = inodeOf(itemFile("Item A"));
  const std::string output = run("Item A",
                                 "tab 1\n"
                                 "caret world end in html\n"
                                 "key ctrl+z\n"
                                 "key ctrl+z\n"
                                 "source\n"
                                 "Save\n");
  SCOPED_TRACE(output);
  EXPECT_EQ(exitStatus, 0);
  EXPECT_EQ(output.find("failed"), std::string::npos);
  EXPECT_NE(output.find("> source\n" + body + "\n"), std::string::npos) << "the view keeps it";
  EXPECT_NE(inodeOf(itemFile("Item A")), before) << "the server stored the item";
  EXPECT_EQ(readFile(itemFile("Item A")), body);
}

// The item could not be loaded (the server was away); the user presses
// Save once it is back: nothing is posted over the stored item unless the
// user says so. With nothing in the editor it offers to load the item again;
// holding another item's text, it asks before storing that.
TEST_F(SavingEndToEndTest, ASaveAfterAFailedLoadAsksBeforeReplacingTheItem) {
  const std::string stored = "<p>Stored <b>item</b></p>";
  const std::string other = "<p>Other item</p>";
  const std::string away =
      "http://127.0.0.1:" + std::to_string(test::unusedLoopbackPort()) + "/tessaron";
  const std::string failedLoad =
      "answer OK\nParams \"" + away + "\" \"Item A\" \"" + kToken + "\"\nLoad\n";
  const struct {
    const char* what;
    std::string steps;
    std::string question;
    std::string expected;
  } rows[] = {
      {"empty editor, no reload", failedLoad + params("Item A") + "answer Cancel\nSave\n",
       "Load \"Item A\" again?", stored},
      {"another item's text, kept from the item",
       params("Item B") + "Load\nwait\n" + failedLoad + params("Item A") + "answer Cancel\nSave\n",
       "Replace the stored item", stored},
      {"another item's text, stored on request",
       params("Item B") + "Load\nwait\n" + failedLoad + params("Item A") + "answer Replace\nSave\n",
       "Replace the stored item", other},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    writeFile(itemFile("Item A"), stored);
    writeFile(itemFile("Item B"), other);
    writeFile(dir / "script.txt", row.steps);
    const std::string output = test::captureOutput(
        test::hostCommand(dir / "registry", "--script '" + (dir / "script.txt").string() + "'"),
        exitStatus);
    SCOPED_TRACE(output);
    EXPECT_EQ(output.find("failed"), std::string::npos);
    EXPECT_NE(output.find(row.question), std::string::npos) << "the user was asked";
    EXPECT_EQ(readFile(itemFile("Item A")), row.expected);
  }
}

// A user's whole image task: the server image is renamed away in the HTML
// view and a local picture inserted through the image dialog; the save
// uploads the new one, deletes the one no longer used, and the stored item
// names only server addresses.
TEST_F(SavingEndToEndTest, ImagesChangedInBothViewsAreUploadedAndTheUnusedOneDeleted) {
  const std::string& png = test::smallPng();
  const fs::path picture = dir / "local" / "neu.png";
  fs::create_directories(picture.parent_path());
  writeFile(picture, png);
  writeFile(contents() / "alt.png", "\x89PNG\r\n\x1A\nold picture");
  writeFile(itemFile("Item A"),
            "<p>Bild <img src=\"" + server->baseUrl() + "/contents/alt.png\"> Ende</p>");

  const std::string output = run("Item A",
                                 "tab 1\n"
                                 "select alt in html\n"
                                 "type weg\n"
                                 "tab 0\n"
                                 "wait\n"
                                 "caret Ende start\n"
                                 "fill Address: \"file://" +
                                     picture.string() +
                                     "\"\n"
                                     "answer OK\n"
                                     "click btnImage\n"
                                     "answer OK\n"
                                     "Save\n");
  SCOPED_TRACE(output);
  EXPECT_EQ(exitStatus, 0);
  EXPECT_EQ(output.find("failed"), std::string::npos);
  const std::string stored = readFile(itemFile("Item A"));
  EXPECT_NE(stored.find("/contents/weg.png\""), std::string::npos) << stored;
  EXPECT_NE(stored.find("src=\"" + server->baseUrl() + "/contents/neu.png\""), std::string::npos)
      << stored;
  EXPECT_EQ(stored.find("file:"), std::string::npos) << stored;
  EXPECT_EQ(readFile(contents() / "neu.png"), png) << "uploaded";
  EXPECT_FALSE(fs::exists(contents() / "alt.png")) << "the unused server image is deleted";
}

// A PNG's width and height from its header; zeros when it is none.
std::pair<unsigned, unsigned> pngSize(const std::string& bytes) {
  if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1A\n") != 0) return {0, 0};
  const auto at = [&](std::size_t i) {
    unsigned value = 0;
    for (std::size_t k = i; k < i + 4; ++k)
      value = value << 8 | static_cast<unsigned char>(bytes[k]);
    return value;
  };
  return {at(16), at(20)};
}

// Image data on the clipboard, Ctrl+V, Save: the picture is kept in the
// private folder, offered and uploaded, and the item names it on the server.
TEST_F(SavingEndToEndTest, APastedPictureIsKeptAsAFileAndUploaded) {
  const std::string& png = test::smallPng();
  const fs::path picture = dir / "copied.png";
  writeFile(picture, png);
  writeFile(itemFile("Item A"), "<p>Bild Ende</p>");
  const std::string output = run("Item A",
                                 "caret Ende start\n"
                                 "clipboard \"" +
                                     picture.string() +
                                     "\"\n"
                                     "key ctrl+v\n"
                                     "answer OK\n"
                                     "Save\n");
  SCOPED_TRACE(output);
  EXPECT_EQ(exitStatus, 0);
  EXPECT_EQ(output.find("failed"), std::string::npos);
  const std::string stored = readFile(itemFile("Item A"));
  const std::string contentsAddress = server->baseUrl() + "/contents/";
  const std::size_t at = stored.find("src=\"" + contentsAddress);
  ASSERT_NE(at, std::string::npos) << stored;
  for (const char* gone : {"blob:", "data:", "file:"}) {
    EXPECT_EQ(stored.find(gone), std::string::npos) << stored;
  }
  const std::size_t nameStart = at + 5 + contentsAddress.size();
  const std::string name = stored.substr(nameStart, stored.find('"', nameStart) - nameStart);
  EXPECT_EQ(pngSize(readFile(contents() / name)), pngSize(png)) << "the server holds the picture";

  const fs::path kept = dir / "cache" / "pellora";
  ASSERT_TRUE(fs::is_directory(kept));
  EXPECT_EQ(fs::status(kept).permissions() & fs::perms::all, fs::perms::owner_all);
  std::size_t files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(kept / "pasted")) {
    if (!entry.is_regular_file()) continue;
    ++files;
    EXPECT_EQ(readFile(entry.path()), readFile(contents() / name)) << "uploaded as kept";
  }
  EXPECT_EQ(files, 1u);
}

}  // namespace
}  // namespace pellora
