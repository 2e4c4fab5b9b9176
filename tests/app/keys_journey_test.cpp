// The keys of the visual view as a user presses them, through the host
// program with the real module and WebKit: undo and redo step by step, the
// formatting and link keys of the tool bar, select all, and pasting as
// plain text. Each document is read back with the `body` step. The host
// prints the control's events only as far as --events asks for them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_run.h"

namespace pellora {
namespace {

using test::readFile;
using test::writeFile;

class KeysJourneyTest : public test::DemoHostTest {};

TEST_F(KeysJourneyTest, UndoAndRedoTheEnginesEditsStepByStep) {
  writeFile(item(), "<p>Hallo Welt</p>");
  const std::string output =
      run("select Welt\n"
          "key ctrl+b\n"
          "state btnBold\n"
          "caret Welt end\n"
          "type \" neu\"\n"
          "body\n"
          "key ctrl+z\n"
          "body\n"
          "key ctrl+z\n"
          "body\n"
          "state btnBold\n"
          "key ctrl+shift+z\n"
          "body\n"
          "key ctrl+y\n"
          "body\n"
          "Save\n");
  SCOPED_TRACE(output);
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(output.find("  event "), std::string::npos) << "events only when asked for";
  EXPECT_TRUE(shows(output, "state btnBold", "  btnBold: down, enabled"))
      << "Ctrl+B presses the tool bar's Bold";
  const std::vector<std::string> expected = {
      "<p>Hallo <b>Welt neu</b></p>",  // bold, then typing
      "<p>Hallo <b>Welt</b></p>",      // the typing undone
      "<p>Hallo Welt</p>",             // the bold undone
      "<p>Hallo <b>Welt</b></p>",      // the bold redone (Ctrl+Shift+Z)
      "<p>Hallo <b>Welt neu</b></p>",  // the typing redone (Ctrl+Y)
  };
  EXPECT_EQ(bodies(output), expected);
  EXPECT_EQ(readFile(item()), "<p>Hallo <b>Welt neu</b></p>");
}

TEST_F(KeysJourneyTest, FormattingAndLinkKeysActAsTheToolBarButtons) {
  writeFile(item(), "<p>Eins zwei drei vier</p>");
  const std::string output =
      run("select zwei\n"
          "key ctrl+i\n"
          "state btnItalic\n"
          "select drei\n"
          "key ctrl+u\n"
          "state btnUnderline\n"
          "key ctrl+u\n"
          "state btnUnderline\n"
          "key ctrl+u\n"
          "select vier\n"
          "fill Address: http://example.org/\n"
          "answer OK\n"
          "key ctrl+k\n"
          "key ctrl+e\n"
          "body\n"
          "Save\n",
          "--events=OnKeyPress");
  SCOPED_TRACE(output);
  EXPECT_EQ(exitCode, 0);
  EXPECT_TRUE(shows(output, "state btnItalic", "  btnItalic: down, enabled"));
  const auto underline = output.find("> state btnUnderline\n  btnUnderline: down");
  EXPECT_NE(underline, std::string::npos) << "Ctrl+U presses Underline";
  EXPECT_NE(output.find("> state btnUnderline\n  btnUnderline: up", underline), std::string::npos)
      << "a second Ctrl+U releases it";
  EXPECT_TRUE(shows(output, "key ctrl+k", "  [LinkDialog] Insert Link"))
      << "Ctrl+K opens the link dialog";
  // The engine hands back a key it left alone after the step, so its event
  // may be printed with a later step.
  const auto unhandled = output.find("> key ctrl+e\n");
  ASSERT_NE(unhandled, std::string::npos);
  EXPECT_NE(output.find("  event OnKeyPress 5\n", unhandled), std::string::npos)
      << "a key the view leaves alone still reaches the host";
  EXPECT_EQ(output.find("  event OnPaint"), std::string::npos) << "only the events asked for";
  const std::string stored =
      "<p>Eins <i>zwei</i> <u>drei</u> <a href=\"http://example.org/\">vier</a></p>";
  EXPECT_EQ(bodies(output), std::vector<std::string>{stored});
  EXPECT_EQ(readFile(item()), stored);
}

TEST_F(KeysJourneyTest, SelectAllAndPasteAsPlainText) {
  writeFile(item(), "<p><b>fett</b> und <a href=\"http://example.org/\">Link</a></p><p>Ende</p>");
  const std::string output =
      run("select fett\n"
          "key ctrl+a\n"
          "key ctrl+c\n"
          "caret Ende end\n"
          "key ctrl+shift+v\n"
          "body\n"
          "key ctrl+z\n"
          "body\n"
          "Save\n",
          "--events");
  SCOPED_TRACE(output);
  EXPECT_EQ(exitCode, 0);
  EXPECT_NE(output.find("  event OnPaint\n"), std::string::npos) << "--events prints every event";
  const std::string original =
      "<p><b>fett</b> und <a href=\"http://example.org/\">Link</a></p><p>Ende</p>";
  // Everything was selected and copied; pasted as text it brings the
  // paragraphs' text (one empty paragraph between them) but neither the
  // bold nor the link.
  const std::vector<std::string> expected = {
      "<p><b>fett</b> und <a href=\"http://example.org/\">Link</a></p>"
      "<p>Endefett und Link</p><p><br></p><p>Ende</p>",
      original,  // the paste is one undo step
  };
  EXPECT_EQ(bodies(output), expected);
  EXPECT_EQ(readFile(item()), original);
}

// Keys typed right after switching back from the HTML view, while the
// visual view is rebuilt from a large item, reach the new page in order
// (they went to the page being replaced, and were lost).
// The keys are discoverable: a tool button's tooltip names its key, and F1
// or Ctrl+? in either view lists them all.
TEST_F(KeysJourneyTest, TooltipsNameTheKeysAndF1ListsThemInEitherView) {
  writeFile(item(), "<p>Hallo Welt</p>");
  const std::string output =
      run("hint btnBold\n"
          "hint btnTable\n"
          "caret Welt end\n"
          "answer Close\n"
          "key F1\n"
          "tab 1\n"
          "caret Welt end in html\n"
          "answer Close\n"
          "key ctrl+question\n"
          "type X\n"
          "source\n");
  SCOPED_TRACE(output);
  EXPECT_EQ(exitCode, 0);
  EXPECT_TRUE(shows(output, "hint btnBold", "  btnBold: Bold (Ctrl+B)"));
  EXPECT_TRUE(shows(output, "hint btnTable", "  btnTable: Insert Table")) << "no key, no note";
  EXPECT_TRUE(shows(output, "key F1", "  [KeyGuide] Keys"));
  EXPECT_TRUE(shows(output, "key ctrl+question", "  [KeyGuide] Keys"));
  EXPECT_NE(output.find("Hallo WeltX"), std::string::npos) << "the HTML view has its keys back";
}

TEST_F(KeysJourneyTest, KeysTypedWhileTheVisualViewIsRebuiltAreKept) {
  std::string body;
  for (int i = 0; body.size() < (256u << 10); ++i) {
    body += "<p>Absatz " + std::to_string(i) + " mit <b>fettem</b> Text und mehr.</p>\n";
  }
  body += "<p>Ende</p>";
  writeFile(item(), body);
  const std::string output =
      run("tab 1\n"
          "caret Ende end in html\n"
          "type \" hier\"\n"
          "tab 0\n"
          "type abc\n"
          "key Return\n"
          "type xyz\n"
          "wait\n"
          "Save\n");
  SCOPED_TRACE(output.substr(0, 4000));
  EXPECT_EQ(exitCode, 0);
  const std::string stored = readFile(item());
  EXPECT_EQ(stored.substr(0, 20), "<p>abc</p><p>xyzAbsa") << stored.substr(0, 200);
  EXPECT_NE(stored.find("<p>Ende hier</p>"), std::string::npos);
}

}  // namespace
}  // namespace pellora
