// A large item (1 MB) through a whole task with the real module, WebKit and
// tessaron-server: edit it in the HTML view and in the visual view, save,
// and compare the stored item byte for byte. The large-item paths (the
// incremental HTML view, the load's completion, the form streamed as it is
// sent) must lose or change nothing at that size.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "host_run.h"

namespace pellora {
namespace {

using test::readFile;
using test::writeFile;

// Paragraphs of Windows-1252 text with a mark each, about `bytes` long.
std::string largeItem(std::size_t bytes, int& paragraphs) {
  std::string item;
  paragraphs = 0;
  while (item.size() < bytes) {
    item += "<p>Mark" + std::to_string(paragraphs++) +
            " caf\xE9 na\xEFve \x80 und Gr\xFC\xDF"
            "e, eine Zeile Text f\xFCr die Gr\xF6\xDF"
            "e.</p>\n";
  }
  // A body saved from the visual view is trimmed; this one has nothing to trim.
  item.pop_back();
  return item;
}

// Empty when the two are equal; otherwise where they first differ, with a
// little of each from there (a megabyte is too much to print).
std::string differenceBetween(const std::string& stored, const std::string& expected) {
  const auto [a, b] = std::mismatch(stored.begin(), stored.end(), expected.begin(), expected.end());
  if (a == stored.end() && b == expected.end()) return {};
  const auto at = static_cast<std::size_t>(a - stored.begin());
  return "sizes " + std::to_string(stored.size()) + " and " + std::to_string(expected.size()) +
         "; first difference at byte " + std::to_string(at) + ": stored [" + stored.substr(at, 60) +
         "], expected [" + expected.substr(at, 60) + "]";
}

// Each journey starts from the same 1 MB item, its marks numbered from 0.
class LargeItemJourneyTest : public test::DemoHostTest {
 protected:
  void SetUp() override {
    DemoHostTest::SetUp();
    if (IsSkipped()) return;
    int paragraphs = 0;
    original = largeItem(std::size_t{1} << 20, paragraphs);
    last = "Mark" + std::to_string(paragraphs - 1);
    writeFile(item(), original);
  }
  // The item with each text put right after its mark ("Mark7" and so on).
  std::string withInserted(const std::vector<std::pair<std::string, std::string>>& edits) const {
    std::string expected = original;
    for (const auto& [mark, text] : edits)
      expected.insert(expected.find(mark + " ") + mark.size(), text);
    return expected;
  }

  std::string original;
  std::string last;  // the last paragraph's mark
};

TEST_F(LargeItemJourneyTest, EditAOneMegabyteItemInBothViewsAndSaveIt) {
  const std::string output =
      run("tab 1\n"
          "caret Mark7 end in html\n"
          "type Xy\n"
          "tab 0\n"
          "wait\n"
          "caret " +
          last +
          " end\n"
          "type \"Zw\xC3\xB6\"\n"
          "Save\n");
  SCOPED_TRACE(output.substr(0, 4000));
  EXPECT_EQ(exitCode, 0);

  EXPECT_EQ(differenceBetween(readFile(item()), withInserted({{"Mark7", "Xy"}, {last, "Zw\xF6"}})),
            "");
}

// Saved from the HTML view, the view's text goes out as it stands.
TEST_F(LargeItemJourneyTest, EditAOneMegabyteItemInTheHtmlViewAndSaveFromThere) {
  const std::string output =
      run("tab 1\n"
          "caret " +
          last +
          " end in html\n"
          "type \"\xE2\x82\xAC"
          "5\"\n"
          "Save\n");
  SCOPED_TRACE(output.substr(0, 4000));
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(differenceBetween(readFile(item()), withInserted({{last,
                                                               "\x80"
                                                               "5"}})),
            "");
}

}  // namespace
}  // namespace pellora
