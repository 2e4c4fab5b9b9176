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

#include "host_run.h"
#include "support/temp_dir.h"

namespace pellora {
namespace {

namespace fs = std::filesystem;

using test::readFile;
using test::writeFile;

class DialogJourneyTest : public test::DemoHostTest {};

TEST_F(DialogJourneyTest, TheLinkDialogLinksTheSelectedWordAndCancelKeepsTheSelection) {
  writeFile(item(), "<p>Hallo Welt</p>");
  const std::string output =
      run("select Welt\n"
          "answer Cancel\n"
          "click btnLink\n"
          "state btnCopy\n"
          "fill Address: http://example.org/\n"
          "answer OK\n"
          "click btnLink\n"
          "state btnCopy\n"
          "select Hallo\n"
          "fill Address: http://other.example/\n"
          "answer OK\n"
          "click btnLink\n"
          "select Welt\n"
          "fill Address: http://changed.example/\n"
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
