// Find and replace and the status line through the host, with the real
// module, WebKit and GtkSourceView: a word found across formatting in the
// visual view, stepped through both ways; Replace All in each view undone
// by one Ctrl+Z; the bar following a switch of the view with its text; the
// counts after typing and after selecting.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host_run.h"

namespace pellora {
namespace {

using test::writeFile;

// What the `status` steps printed, in order: the find bar's line and the
// status line's.
struct Status {
  std::string bar;
  std::string line;
};

std::vector<Status> statuses(const std::string& output) {
  std::vector<Status> found;
  const std::string bar = "  find bar: ", line = "  status line: ";
  for (auto at = output.find(bar); at != std::string::npos; at = output.find(bar, at + 1)) {
    const auto end = output.find('\n', at);
    const auto lineAt = output.find(line, end);
    const auto lineEnd = output.find('\n', lineAt);
    if (end == std::string::npos || lineAt == std::string::npos) break;
    found.push_back({output.substr(at + bar.size(), end - at - bar.size()),
                     output.substr(lineAt + line.size(), lineEnd - lineAt - line.size())});
  }
  return found;
}

// What each `source` step printed, in order.
std::vector<std::string> sources(const std::string& output) {
  std::vector<std::string> found;
  for (auto at = output.find("> source\n"); at != std::string::npos;
       at = output.find("> source\n", at + 1)) {
    const auto start = at + 9;
    const auto next = output.find("\n> ", start);
    found.push_back(output.substr(start, next == std::string::npos ? next : next - start));
  }
  return found;
}

// The two counts of a status line without a selection.
std::pair<long, long> documentCounts(const std::string& line) {
  long words = -1, chars = -1;
  std::sscanf(line.c_str(), "Words: %ld   Characters: %ld", &words, &chars);
  return {words, chars};
}

class FindJourneyTest : public test::DemoHostTest {};

TEST_F(FindJourneyTest, FindReplaceAndCountInBothViews) {
  const std::string original =
      "<p>The <b>quick</b> fox and the qu<b>ick</b> hare.</p>\n<p>Quick, quick!</p>";
  writeFile(item(), original);
  const std::string output =
      run("wait\ncaret The start\nkey ctrl+f\ntype quick\nstatus\nkey Return\nstatus\n"
          "key shift+Return\nstatus\nclick findMatchCase\nstatus\nclick findMatchCase\n"
          "key Escape\nstatus\n"
          // Replace All in the visual view, and one Ctrl+Z.
          "key ctrl+h\nkey Tab\ntype slow\nclick replaceAll\nstatus\nkey Escape\nbody\n"
          "key ctrl+z\nbody\n"
          // The bar goes along to the HTML view with its text.
          "key ctrl+f\ntab 1\nstatus\ncaret The start in html\nkey ctrl+h\nclick replaceAll\n"
          "status\nkey Escape\nsource\nkey ctrl+z\nsource\n"
          // Counts after typing and selecting.
          "tab 0\nwait\ncaret hare end\nstatus\ntype \" runs\"\nstatus\nselect fox\nstatus\n");
  SCOPED_TRACE(output);
  EXPECT_EQ(exitCode, 0);
  const auto seen = statuses(output);
  ASSERT_EQ(seen.size(), 11u);

  // A word half bold is one match; Enter and Shift+Enter step, match case
  // leaves out the capital one.
  EXPECT_EQ(seen[0].bar, "\"quick\", 1 of 4, match case off, whole words off");
  EXPECT_EQ(seen[1].bar, "\"quick\", 2 of 4, match case off, whole words off");
  EXPECT_EQ(seen[2].bar, "\"quick\", 1 of 4, match case off, whole words off");
  EXPECT_EQ(seen[3].bar, "\"quick\", 1 of 3, match case on, whole words off");
  // Escape closes the bar; the selection stays on the match.
  EXPECT_EQ(seen[4].bar, "closed");
  EXPECT_EQ(seen[4].line.rfind("Words: 1 of ", 0), 0u) << seen[4].line;

  EXPECT_EQ(seen[5].bar,
            "\"quick\" replace with \"slow\", 4 replaced, match case off, "
            "whole words off");
  const auto bodies = this->bodies(output);
  ASSERT_EQ(bodies.size(), 2u);
  EXPECT_EQ(bodies[0].find("quick"), std::string::npos) << bodies[0];
  EXPECT_EQ(bodies[0].find("ick"), std::string::npos) << "no part of a match is left";
  EXPECT_EQ(bodies[0].find("<b></b>"), std::string::npos) << "no formatting left empty";
  EXPECT_NE(bodies[1].find("qu<b>ick</b> hare"), std::string::npos)
      << "one Ctrl+Z takes back all of them: " << bodies[1];
  EXPECT_NE(bodies[1].find("<b>quick</b>"), std::string::npos) << bodies[1];

  // The source has the word whole three times (the half bold one is split
  // by its markup).
  EXPECT_EQ(seen[6].bar, "\"quick\", 1 of 3, match case off, whole words off");
  EXPECT_EQ(seen[7].bar,
            "\"quick\" replace with \"slow\", 3 replaced, match case off, "
            "whole words off");
  const auto source = sources(output);
  ASSERT_EQ(source.size(), 2u);
  for (const char* replaced : {"<b>slow</b> fox", "qu<b>ick</b> hare", "<p>slow, slow!</p>"})
    EXPECT_NE(source[0].find(replaced), std::string::npos) << replaced;
  for (const char* restored : {"<b>quick</b> fox", "qu<b>ick</b> hare", "<p>Quick, quick!</p>"})
    EXPECT_NE(source[1].find(restored), std::string::npos) << "one Ctrl+Z undoes all: " << restored;
  EXPECT_EQ(source[1].find("slow"), std::string::npos);

  const auto [words, chars] = documentCounts(seen[8].line);
  ASSERT_GT(words, 0) << seen[8].line;
  EXPECT_EQ(documentCounts(seen[9].line), std::make_pair(words + 1, chars + 5))
      << "typing \" runs\": " << seen[9].line;
  EXPECT_EQ(seen[10].line, "Words: 1 of " + std::to_string(words + 1) + "   Characters: 3 of " +
                               std::to_string(chars + 5));
}

}  // namespace
}  // namespace pellora
