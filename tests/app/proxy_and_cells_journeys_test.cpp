// Two whole tasks through the host's scripts with the real module, WebKit
// and tessaron-server: work through the proxy chosen in the settings dialog
// (a real forwarding proxy carries the load and the save), and join and
// split table cells with the tool bar's cell buttons. Each ends with a save
// and compares the stored item byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "host_run.h"
#include "support/forwarding_proxy.h"

namespace pellora {
namespace {

using test::readFile;
using test::writeFile;

class ProxyAndCellsJourneyTest : public test::DemoHostTest {};

TEST_F(ProxyAndCellsJourneyTest, LoadAndSaveGoThroughTheProxyChosenInTheSettingsDialog) {
  test::ForwardingProxy proxy;
  writeFile(item(), "<p>Hallo Welt</p>");
  const std::string settings =
      run("check cbProxy on\n"
          "set edProxy 127.0.0.1\n"
          "fill Port: " +
          std::to_string(proxy.port()) +
          "\n"
          "answer OK\n"
          "click btnOptions\n");
  SCOPED_TRACE(settings);
  ASSERT_EQ(exitCode, 0);
  const std::size_t before = proxy.requestLines().size();

  // The next start reads the proxy from the settings and loads through it.
  const std::string work =
      run("caret Welt end\n"
          "type \" dort\"\n"
          "Save\n");
  SCOPED_TRACE(work);
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(readFile(item()), "<p>Hallo Welt dort</p>");

  const std::vector<std::string> lines = proxy.requestLines();
  ASSERT_GT(lines.size(), before) << "the load and the save passed the proxy";
  bool loaded = false, saved = false;
  for (std::size_t i = before; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].find(" http://"), lines[i].find(' '))
        << "absolute form, as a proxy needs it: " << lines[i];
    loaded = loaded || lines[i].rfind("GET ", 0) == 0;
    saved = saved ||
            (lines[i].rfind("POST ", 0) == 0 && lines[i].find("/edit.php") != std::string::npos);
  }
  EXPECT_TRUE(loaded);
  EXPECT_TRUE(saved);
}

TEST_F(ProxyAndCellsJourneyTest, JoinAndSplitCellsWithTheCellButtons) {
  writeFile(item(),
            "<table border=\"1\"><tbody>"
            "<tr><td>A1</td><td>B1</td><td>C1</td></tr>"
            "<tr><td>A2</td><td>B2</td><td>C2</td></tr>"
            "</tbody></table>");
  const std::string output =
      run("state btnTableMergeCell\n"
          "caret A1 end\n"
          "state btnTableMergeCell\n"
          // The caret's cell joins its right neighbour, then the next one.
          "click btnTableMergeCell\n"
          "click btnTableMergeCell\n"
          // C2 has no right neighbour: nothing to join.
          "caret C2 end\n"
          "state btnTableMergeCell\n"
          "caret B2 end\n"
          "click btnTableSplitCell\n"
          "type X\n"
          "caret A1 start\n"
          // A spanned cell gives a column back.
          "click btnTableSplitCell\n"
          "Save\n");
  SCOPED_TRACE(output);
  EXPECT_EQ(exitCode, 0);
  // Outside the table, in A1, in the last cell of a row.
  const std::size_t outside = output.find("  btnTableMergeCell: up, disabled");
  const std::size_t inCell = output.find("  btnTableMergeCell: up, enabled", outside);
  const std::size_t lastInRow = output.find("  btnTableMergeCell: up, disabled", inCell);
  EXPECT_NE(outside, std::string::npos);
  EXPECT_NE(inCell, std::string::npos);
  EXPECT_NE(lastInRow, std::string::npos);
  EXPECT_EQ(readFile(item()),
            "<table border=\"1\"><tbody>"
            "<tr><td colspan=\"2\">A1B1C1</td><td><br></td></tr>"
            // The new cell comes right of the caret's; the caret stays.
            "<tr><td>A2</td><td>B2X</td><td><br></td><td>C2</td></tr>"
            "</tbody></table>");
}

}  // namespace
}  // namespace pellora
