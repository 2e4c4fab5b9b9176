// Everyday edits in the visual view through the host program with the real
// module and WebKit: one undo history over typing, table steps, link edits
// and view switches; tables typed through with Tab; links removed and lists
// made from paragraphs. Each document is read back with the `body` step and
// the stored item compared.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_run.h"

namespace pellora {
namespace {

using test::readFile;
using test::writeFile;

class EditingJourneyTest : public test::DemoHostTest {};

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST_F(EditingJourneyTest, OneHistoryTakesBackEveryEditInTheOrderItWasMade) {
  writeFile(item(),
            "<p>Hallo <a href=\"http://a.example/\">Link</a></p>"
            "<table border=\"1\"><tr><td>Zelle</td></tr></table>");
  const std::string output =
      run("wait\n"
          "body\n"
          "caret Hallo end\n"
          "type Y\n"
          "body\n"
          "caret Zelle end\n"
          "click btnTableInsRow\n"
          "body\n"
          "caret HalloY end\n"
          "type X\n"
          "body\n"
          "select Link\n"
          "fill Address: http://b.example/\n"
          "answer OK\n"
          "click btnLink\n"
          "body\n"
          "tab 1\n"
          "tab 0\n"
          "wait\n"
          "caret Zelle end\n"
          "key ctrl+z\n"
          "body\n"
          "key ctrl+z\n"
          "body\n"
          "key ctrl+z\n"
          "body\n"
          "key ctrl+z\n"
          "body\n"
          "key ctrl+y\n"
          "body\n"
          "key ctrl+shift+z\n"
          "body\n"
          "key ctrl+y\n"
          "body\n"
          "key ctrl+y\n"
          "body\n"
          // An edit in the HTML view, taken back by Ctrl+Z in the visual
          // view as the Undo button takes it back.
          "tab 1\n"
          "caret Zelle end in html\n"
          "type Q\n"
          "tab 0\n"
          "wait\n"
          "body\n"
          "caret Zelle end\n"
          "key ctrl+z\n"
          "body\n"
          "Save\n");
  SCOPED_TRACE(output);
  EXPECT_EQ(exitCode, 0);
  const std::vector<std::string> seen = bodies(output);
  ASSERT_EQ(seen.size(), 15u);
  EXPECT_NE(seen[13].find("ZelleQ"), std::string::npos) << seen[13];
  EXPECT_EQ(seen[14], seen[12]) << "the HTML view's edit taken back";
  // The loaded body and the four edits, each a different document.
  const std::vector<std::string> edits(seen.begin(), seen.begin() + 5);
  for (std::size_t i = 1; i < edits.size(); ++i) EXPECT_NE(edits[i], edits[i - 1]) << i;
  EXPECT_NE(edits[4].find("http://b.example/"), std::string::npos) << edits[4];
  // Undo walks back through them one by one, redo forward again.
  EXPECT_EQ(std::vector<std::string>(seen.begin() + 5, seen.begin() + 9),
            (std::vector<std::string>{edits[3], edits[2], edits[1], edits[0]}));
  EXPECT_EQ(std::vector<std::string>(seen.begin() + 9, seen.begin() + 13),
            (std::vector<std::string>{edits[1], edits[2], edits[3], edits[4]}));
  const std::string stored = readFile(item());
  EXPECT_NE(stored.find("HalloYX"), std::string::npos) << stored;
  EXPECT_NE(stored.find("href=\"http://b.example/\""), std::string::npos) << stored;
  EXPECT_EQ(count(stored, "<tr"), 2u) << stored;
}

TEST_F(EditingJourneyTest, ANewTableIsTypedThroughWithTab) {
  writeFile(item(), "<p>Vorher</p>");
  const std::string output =
      run("caret Vorher end\n"
          "set edRows 2\n"
          "set edCols 2\n"
          "set edWidth \"\"\n"
          "answer OK\n"
          "click btnTable\n"
          "type a\n"
          "key Tab\n"
          "type b\n"
          "key Tab\n"
          "type c\n"
          "key Tab\n"
          "type d\n"
          "key Tab\n"
          "type e\n"
          "key shift+Tab\n"
          "type D\n"
          "key ctrl+z\n"
          "key ctrl+z\n"
          "body\n"
          "key ctrl+y\n"
          "key ctrl+y\n"
          "Save\n");
  SCOPED_TRACE(output);
  EXPECT_EQ(exitCode, 0);
  // Typing starts in the first cell; Tab goes on row by row, adds a row
  // from the last cell and selects what a cell holds, Shift+Tab goes back.
  const std::string stored = readFile(item());
  EXPECT_NE(stored.find("<tr><td>a</td><td>b</td></tr><tr><td>c</td><td>D</td></tr>"
                        "<tr><td>e</td><td><br></td></tr>"),
            std::string::npos)
      << stored;
  EXPECT_EQ(stored.find('\t'), std::string::npos) << "no tab stored";
  EXPECT_EQ(stored.find("Apple-tab-span"), std::string::npos) << stored;
  // Undone twice, "D" and "e" go but the added row stays (a step of its own).
  const std::vector<std::string> seen = bodies(output);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_NE(seen[0].find("<td>c</td><td>d</td></tr><tr><td><br></td><td><br></td></tr>"),
            std::string::npos)
      << seen[0];
}

TEST_F(EditingJourneyTest, ALinkIsRemovedAndAParagraphBecomesAListInOneStep) {
  writeFile(item(), "<p>Eins <a href=\"http://a.example/\">Link</a> zwei</p>\n<p>Drei</p>");
  const std::string output =
      run("select Link\n"
          "state btnUnderline\n"
          "fill Address: \"\"\n"
          "answer OK\n"
          "click btnLink\n"
          "body\n"
          "caret Drei end\n"
          "click btnListOL\n"
          "body\n"
          "key ctrl+z\n"
          "body\n"
          "key ctrl+y\n"
          "Save\n");
  SCOPED_TRACE(output);
  EXPECT_EQ(exitCode, 0);
  EXPECT_TRUE(shows(output, "state btnUnderline", "  btnUnderline: up, enabled"))
      << "a link's own underline is no underline format";
  const std::vector<std::string> seen = bodies(output);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0], "<p>Eins Link zwei</p>\n<p>Drei</p>") << "an empty address removes the link";
  EXPECT_EQ(seen[1], "<p>Eins Link zwei</p>\n<ol><li>Drei</li></ol>")
      << "in place of the paragraph";
  EXPECT_EQ(seen[2], seen[0]) << "the list undone in one step";
  EXPECT_EQ(readFile(item()), "<p>Eins Link zwei</p>\n<ol><li>Drei</li></ol>");
}

}  // namespace
}  // namespace pellora
