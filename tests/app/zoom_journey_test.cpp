// Zoom through the host: two steps in from the visual view scale its page
// and the HTML view's font alike; the next start over the same settings
// opens at that zoom, and Ctrl+0 in the HTML view brings both back. The
// settings stored before stay as they were.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host_run.h"

namespace pellora {
namespace {

using test::readFile;
using test::writeFile;

struct Zoom {
  double visual = 0;
  double htmlFont = 0;
};

// What each `zoom` step printed, in order.
std::vector<Zoom> zooms(const std::string& output) {
  std::vector<Zoom> found;
  const std::string mark = "  zoom: visual ";
  for (auto at = output.find(mark); at != std::string::npos; at = output.find(mark, at + 1)) {
    Zoom zoom;
    if (std::sscanf(output.c_str() + at, "  zoom: visual %lf, html font %lf", &zoom.visual,
                    &zoom.htmlFont) == 2)
      found.push_back(zoom);
  }
  return found;
}

class ZoomJourneyTest : public test::DemoHostTest {};

TEST_F(ZoomJourneyTest, ZoomScalesBothViewsAndIsKeptForTheNextStart) {
  writeFile(item(), "<p>Hallo Welt</p>");
  const std::string values =
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brixel\\Pellora]\n\"ProxyHost\"=\"proxy.local\"\n"
      "\"ProxyPort\"=\"8080\"\n\"Proxy\"=\"0\"\n\"Language\"=\"EN\"\n";
  const auto hive = dir / "registry" / "HKEY_LOCAL_MACHINE.reg";
  writeFile(hive, "Windows Registry Editor Version 5.00\n\n" + values + "\n");

  const std::string first =
      run("wait\ncaret Welt end\nzoom\nkey ctrl+plus\nzoom\nkey ctrl+equal\nzoom\n");
  SCOPED_TRACE(first);
  EXPECT_EQ(exitCode, 0);
  const auto before = zooms(first);
  ASSERT_EQ(before.size(), 3u);
  const Zoom normal = before[0], zoomed = before[2];
  EXPECT_DOUBLE_EQ(normal.visual, 1.0);
  EXPECT_GT(before[1].visual, normal.visual);
  EXPECT_GT(zoomed.visual, before[1].visual) << "each key a step in";
  ASSERT_GT(normal.htmlFont, 0);
  EXPECT_NEAR(zoomed.htmlFont / normal.htmlFont, zoomed.visual, 0.02)
      << "the HTML view's font scales with the page";
  const std::string settings = readFile(hive);
  EXPECT_NE(settings.find(values + "\"Zoom\"=dword:"), std::string::npos) << settings;

  const std::string second =
      run("wait\nzoom\ntab 1\ncaret Hallo start in html\nkey ctrl+0\nzoom\ntab 0\nzoom\n");
  SCOPED_TRACE(second);
  EXPECT_EQ(exitCode, 0);
  const auto after = zooms(second);
  ASSERT_EQ(after.size(), 3u);
  EXPECT_DOUBLE_EQ(after[0].visual, zoomed.visual) << "kept for the next start";
  EXPECT_DOUBLE_EQ(after[0].htmlFont, zoomed.htmlFont);
  for (const Zoom& reset : {after[1], after[2]}) {
    EXPECT_DOUBLE_EQ(reset.visual, normal.visual) << "Ctrl+0 in the HTML view";
    EXPECT_DOUBLE_EQ(reset.htmlFont, normal.htmlFont);
  }
}

}  // namespace
}  // namespace pellora
