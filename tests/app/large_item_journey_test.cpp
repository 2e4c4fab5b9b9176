// A large item (1 MB) through a whole task with the real module, WebKit and
// tessaron-server: edit it in the HTML view and in the visual view, save,
// and compare the stored item byte for byte. The large-item paths (the
// incremental HTML view, the load's completion, the form streamed as it is
// sent) must lose or change nothing at that size.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "host_run.h"

namespace pellora {
namespace {

using test::readFile;
using test::writeFile;

class LargeItemJourneyTest : public test::DemoHostTest {};

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

TEST_F(LargeItemJourneyTest, EditAOneMegabyteItemInBothViewsAndSaveIt) {
  int paragraphs = 0;
  const std::string original = largeItem(std::size_t{1} << 20, paragraphs);
  writeFile(item(), original);
  const std::string last = "Mark" + std::to_string(paragraphs - 1);
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

  std::string expected = original;
  expected.insert(expected.find("Mark7 ") + 5, "Xy");
  expected.insert(expected.find(last + " ") + last.size(), "Zw\xF6");
  EXPECT_EQ(differenceBetween(readFile(item()), expected), "");
}

// Saved from the HTML view, the view's text goes out as it stands.
TEST_F(LargeItemJourneyTest, EditAOneMegabyteItemInTheHtmlViewAndSaveFromThere) {
  int paragraphs = 0;
  const std::string original = largeItem(std::size_t{1} << 20, paragraphs);
  writeFile(item(), original);
  const std::string last = "Mark" + std::to_string(paragraphs - 1);
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
  std::string expected = original;
  expected.insert(expected.find(last + " ") + last.size(),
                  "\x80"
                  "5");
  EXPECT_EQ(differenceBetween(readFile(item()), expected), "");
}

}  // namespace
}  // namespace pellora
