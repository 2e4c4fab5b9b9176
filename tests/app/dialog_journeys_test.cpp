// The editor's own dialogs on the selection, as a user meets them: the real
// link and font dialogs answered by the host's script, the Delete button and
// menu entry on a bare caret. Each journey saves and compares the stored
// item.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace pellora {
namespace {

namespace fs = std::filesystem;

using test::readFile;
using test::writeFile;

class DialogJourneyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display (scripts/test runs xvfb-run)";
    fs::create_directories(dir / "site" / "contents");
    fs::create_directories(dir / "registry");
  }
  fs::path item() const { return dir / "site" / "contents" / "Sample 1.html"; }

  // Runs the host on the installation in `dir/site` with `steps`; returns
  // what it printed and keeps its exit code in `exitCode`.
  std::string run(const std::string& steps) {
    writeFile(dir / "script.txt", steps);
    const std::string command =
        "PELLORA_REGISTRY_DIR='" + (dir / "registry").string() +
        "' WEBKIT_DISABLE_COMPOSITING_MODE=1 "
        "WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS=1 '" PELLORA_HOST_PATH "' --demo --demo-root '" +
        (dir / "site").string() + "' --script '" + (dir / "script.txt").string() + "' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return "<cannot start the host>";
    std::string output;
    std::array<char, 4096> buffer;
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
      output.append(buffer.data(), n);
    }
    const int status = ::pclose(pipe);
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
  }

  // Whether `output` shows `line` right after the step `step`.
  static bool shows(const std::string& output, const std::string& step, const std::string& line) {
    const auto at = output.find("> " + step + "\n");
    return at != std::string::npos &&
           output.compare(at + step.size() + 3, line.size() + 1, line + "\n") == 0;
  }

  test::TempDir temp;
  const fs::path dir = temp.path();
  int exitCode = -1;
};

TEST_F(DialogJourneyTest, TheLinkDialogLinksTheSelectedWordAndCancelKeepsTheSelection) {
  writeFile(item(), "<p>Hallo Welt</p>");
  const std::string output =
      run("select Welt\n"
          "answer Cancel\n"
          "click btnLink\n"
          "state btnCopy\n"
          "fill URL: http://example.org/\n"
          "answer OK\n"
          "click btnLink\n"
          "state btnCopy\n"
          "select Hallo\n"
          "fill URL: http://other.example/\n"
          "answer OK\n"
          "click btnLink\n"
          "select Welt\n"
          "fill URL: http://changed.example/\n"
          "answer OK\n"
          "click btnLink\n"
          "Save\n");
  SCOPED_TRACE(output);
  EXPECT_EQ(exitCode, 0);
  EXPECT_TRUE(shows(output, "state btnCopy", "  btnCopy: up, enabled"))
      << "after Cancel the word is still selected";
  EXPECT_EQ(readFile(item()),
            "<p><a href=\"http://other.example/\">Hallo</a> "
            "<a href=\"http://changed.example/\">Welt</a></p>");
}

TEST_F(DialogJourneyTest, FontOkWithoutAChangeAndDeleteOnACaretChangeNothing) {
  writeFile(item(), "<p>eins zwei drei</p>");
  const std::string output =
      run("select zwei\n"
          "answer OK\n"
          "click btnColor\n"
          "state btnCopy\n"
          "caret eins end\n"
          "click btnDelete\n"
          "menu Delete\n"
          "caret drei start\n"
          "key ctrl+z\n"
          "Save\n");
  SCOPED_TRACE(output);
  EXPECT_EQ(exitCode, 0);
  EXPECT_TRUE(shows(output, "state btnCopy", "  btnCopy: up, enabled"));
  EXPECT_EQ(readFile(item()), "<p>eins zwei drei</p>");
}

}  // namespace
}  // namespace pellora
