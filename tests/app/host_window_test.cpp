// The host window around the control, through the host program with the
// real module, WebKit and tessaron-server: closing with unsaved edits asks
// first and does what the user answered, the title names the item and marks
// unsaved edits, and a save the server acknowledged leaves a page that says
// so, in the interface language.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host_run.h"

namespace pellora {
namespace {

namespace fs = std::filesystem;

using test::readFile;
using test::writeFile;

const std::string kItem = "<p>Hallo Welt</p>\n<p>Zweite Zeile</p>";
// What the visual view holds, and so a save sends, after "!" is typed after
// "Welt" (the view keeps the line end between the paragraphs).
const std::string kEdited = "<p>Hallo Welt!</p>\n<p>Zweite Zeile</p>";

// The steps of a run and what each printed, without the control's events.
struct Step {
  std::string line;
  std::vector<std::string> printed;
};

std::vector<Step> stepsOf(const std::string& output) {
  std::vector<Step> steps;
  for (std::size_t at = 0, end; at < output.size(); at = end + 1) {
    end = output.find('\n', at);
    if (end == std::string::npos) end = output.size();
    const std::string line = output.substr(at, end - at);
    if (line.rfind("> ", 0) == 0) {
      steps.push_back({line.substr(2), {}});
    } else if (!steps.empty() && line.rfind("  event ", 0) != 0) {
      steps.back().printed.push_back(line);
    }
  }
  return steps;
}

// What the `index`-th step `line` printed; empty when there is none.
std::vector<std::string> printedBy(const std::vector<Step>& steps, const std::string& line,
                                   int index = 0) {
  for (const Step& step : steps) {
    if (step.line == line && index-- == 0) return step.printed;
  }
  return {"<no step " + line + ">"};
}

class HostWindowTest : public test::DemoHostTest {
 protected:
  void SetUp() override {
    test::DemoHostTest::SetUp();
    if (IsSkipped()) return;
    writeFile(item(), kItem);
  }

  void storeGerman() {
    writeFile(dir / "registry" / "HKEY_LOCAL_MACHINE.reg",
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brixel\\Pellora]\n\"Language\"=\"DE\"\n\n");
  }

  // As DemoHostTest::run, with drafts of unsaved edits kept in the test's
  // own folder.
  std::vector<Step> runSteps(const std::string& steps) {
    writeFile(dir / "script.txt", steps);
    output = test::captureOutput(
        "XDG_STATE_HOME='" + (dir / "state").string() + "' " +
            test::hostCommand(dir / "registry",
                              test::demoArguments(dir / "site", dir / "script.txt")),
        exitStatus);
    exitCode = test::exitCodeOf(exitStatus);
    return stepsOf(output);
  }

  std::string output;
};

struct CloseCase {
  const char* answer;
  bool windowCloses;
  const char* stored;  // nullptr: the item as it was
};

// Each answer of the question before the window closes.
TEST_F(HostWindowTest, QuitWithUnsavedEditsDoesWhatTheUserAnswers) {
  const CloseCase cases[] = {
      {"Save", true, kEdited.c_str()},
      {"Discard", true, nullptr},
      {"Cancel", false, nullptr},
  };
  for (const CloseCase& c : cases) {
    SCOPED_TRACE(c.answer);
    writeFile(item(), kItem);
    const auto steps =
        runSteps(std::string("caret Welt end\ntype !\nanswer ") + c.answer + "\nquit\nbody\n");
    ASSERT_EQ(exitCode, c.windowCloses ? 1 : 0) << output;  // `body` fails without a window
    const std::vector<std::string> quit = printedBy(steps, "quit");
    ASSERT_EQ(quit.size(), 5u) << output;
    EXPECT_EQ(quit[0], "  [HostSaveQuestion] Pellora");
    EXPECT_EQ(quit[1], "  | Save the changes to \xe2\x80\x9cSample 1\xe2\x80\x9d before closing?");
    EXPECT_EQ(quit[2], "  buttons: Save | Close without Saving | Cancel") << "confirming first";
    EXPECT_EQ(quit[3], std::string("  answered ") + c.answer);
    EXPECT_EQ(quit[4], c.windowCloses ? "  the window is closed" : "  the window stays");
    EXPECT_EQ(readFile(item()), c.stored ? std::string(c.stored) : kItem);
    if (!c.windowCloses) {
      // The edit is still in the editor.
      const std::vector<std::string> body = printedBy(steps, "body");
      ASSERT_FALSE(body.empty());
      EXPECT_NE(output.find("Hallo Welt!</p>"), std::string::npos) << output;
    }
  }
}

TEST_F(HostWindowTest, QuitWithoutEditsAsksNothing) {
  const auto steps = runSteps("quit\n");
  EXPECT_EQ(exitCode, 0) << output;
  EXPECT_EQ(printedBy(steps, "quit"), std::vector<std::string>{"  the window is closed"});
  EXPECT_EQ(readFile(item()), kItem);
}

// The title before and after an edit, and the page a save the server
// acknowledged leaves; loading again shows the stored item unmarked.
TEST_F(HostWindowTest, TitleMarksUnsavedEditsAndSaveLeavesASavedPage) {
  const auto steps = runSteps(
      "window\n"
      "caret Welt end\ntype !\n"
      "window\n"
      "click HostSave\n"
      "window\n"
      "click HostLoadAgain\nwait\n"
      "window\n"
      "select Zweite\n"
      "window\n"
      "click HostCloseWindow\n");
  EXPECT_EQ(exitCode, 0) << output;
  const std::string plain = "  title: Sample 1 \xe2\x80\x94 Pellora";
  const std::string marked = "  title: \xe2\x80\xa2 Sample 1 \xe2\x80\x94 Pellora";
  const std::string editor = "  shows: the editor";
  EXPECT_EQ(printedBy(steps, "window", 0), (std::vector<std::string>{plain, editor}));
  EXPECT_EQ(printedBy(steps, "window", 1), (std::vector<std::string>{marked, editor}));
  EXPECT_EQ(printedBy(steps, "window", 2), (std::vector<std::string>{plain, "  shows: Saved."}));
  EXPECT_EQ(readFile(item()), kEdited);
  // Loaded again: what was stored, and a caret move is no edit.
  EXPECT_EQ(printedBy(steps, "window", 3), (std::vector<std::string>{plain, editor}));
  EXPECT_EQ(printedBy(steps, "window", 4), (std::vector<std::string>{plain, editor}));
}

// The page's Close button asks too; discarding leaves a page that says the
// editor is closed, and the item as it was.
TEST_F(HostWindowTest, CloseButtonAsksAndDiscardKeepsTheItem) {
  const auto steps = runSteps(
      "caret Welt end\ntype !\n"
      "answer Discard\nclick HostClose\n"
      "window\n");
  EXPECT_EQ(exitCode, 0) << output;
  EXPECT_EQ(printedBy(steps, "window"),
            (std::vector<std::string>{"  title: Sample 1 \xe2\x80\x94 Pellora",
                                      "  shows: The editor is closed."}));
  EXPECT_EQ(readFile(item()), kItem);
}

// With German stored, the question, its buttons and the closed page are
// German; the buttons' names stay for scripts.
TEST_F(HostWindowTest, GermanInterfaceAsksInGerman) {
  storeGerman();
  const auto steps = runSteps(
      "caret Welt end\ntype !\n"
      "answer Abbrechen\nquit\n"
      "answer \"Ohne Speichern schlie\xc3\x9f"
      "en\"\nclick HostClose\n"
      "window\n"
      "quit\n");
  EXPECT_EQ(exitCode, 0) << output;
  const std::vector<std::string> quit = printedBy(steps, "quit");
  ASSERT_EQ(quit.size(), 5u) << output;
  EXPECT_EQ(quit[1],
            "  | \xc3\x84nderungen an \xe2\x80\x9eSample 1\xe2\x80\x9c vor dem Schlie\xc3\x9f"
            "en speichern?");
  EXPECT_EQ(quit[2],
            "  buttons: Speichern | Ohne Speichern schlie\xc3\x9f"
            "en | Abbrechen");
  EXPECT_EQ(quit[4], "  the window stays");
  EXPECT_EQ(printedBy(steps, "window"),
            (std::vector<std::string>{"  title: Sample 1 \xe2\x80\x94 Pellora",
                                      "  shows: Der Editor ist geschlossen."}));
  // Closed already: no question.
  EXPECT_EQ(printedBy(steps, "quit", 1), std::vector<std::string>{"  the window is closed"});
  EXPECT_EQ(readFile(item()), kItem);
}

}  // namespace
}  // namespace pellora
