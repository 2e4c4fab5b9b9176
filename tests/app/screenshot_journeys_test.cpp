// The host's pictures of the editor: `screenshot` writes the window as it
// shows the step before (not the page before it), `capture` writes a dialog
// before its answer, and under a dark GTK theme the HTML view is dark.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host_run.h"

namespace pellora {
namespace {

namespace fs = std::filesystem;

using test::writeFile;

class ScreenshotJourneyTest : public test::DemoHostTest {};

struct Picture {
  int width = 0, height = 0;
  // Brightness 0..255 of the pixel at x, y (the mean of its channels).
  int brightness(int x, int y) const {
    if (!pixbuf || x >= width || y >= height) return -1;
    const guchar* p = gdk_pixbuf_get_pixels(pixbuf) + y * gdk_pixbuf_get_rowstride(pixbuf) +
                      x * gdk_pixbuf_get_n_channels(pixbuf);
    return (p[0] + p[1] + p[2]) / 3;
  }
  GdkPixbuf* pixbuf = nullptr;
  explicit Picture(const fs::path& file) {
    pixbuf = gdk_pixbuf_new_from_file(file.c_str(), nullptr);
    if (pixbuf) {
      width = gdk_pixbuf_get_width(pixbuf);
      height = gdk_pixbuf_get_height(pixbuf);
    }
  }
  ~Picture() {
    if (pixbuf) g_object_unref(pixbuf);
  }
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;
};

TEST_F(ScreenshotJourneyTest, ScreenshotsShowThePageJustOpenedAndDialogsBeforeTheirAnswer) {
  writeFile(item(), "<p>Hallo Welt</p>");
  const fs::path visual = dir / "visual.png", html = dir / "html.png", table = dir / "table.png";
  writeFile(dir / "script.txt", "screenshot " + visual.string() +
                                    "\n"
                                    "capture " +
                                    table.string() +
                                    "\n"
                                    "answer Button2\n"
                                    "click btnTable\n"
                                    "tab 1\n"
                                    "screenshot " +
                                    html.string() + "\n");
  int status = -1;
  const std::string output = test::captureOutput(
      test::hostCommand(dir / "registry", test::demoArguments(dir / "site", dir / "script.txt"),
                        "GTK_THEME=Adwaita:dark GDK_SCALE=1 "),
      status);
  SCOPED_TRACE(output);
  EXPECT_EQ(test::exitCodeOf(status), 0);

  Picture page(visual), source(html), dialog(table);
  ASSERT_NE(page.pixbuf, nullptr);
  ASSERT_NE(source.pixbuf, nullptr);
  ASSERT_NE(dialog.pixbuf, nullptr);
  EXPECT_EQ(source.width, page.width);
  EXPECT_EQ(source.height, page.height);
  // Amid the empty part of the page: the document is white, the HTML view
  // right after the switch to it is dark, in the dark theme's scheme.
  const int x = page.width * 3 / 4, y = page.height / 2;
  EXPECT_GT(page.brightness(x, y), 230);
  EXPECT_LT(source.brightness(x, y), 60);
  // The dialog alone, not the window behind it.
  EXPECT_GT(dialog.width, 100);
  EXPECT_LT(dialog.width, page.width);
  EXPECT_LT(dialog.height, page.height);
  EXPECT_NE(output.find("wrote " + table.string()), std::string::npos);
}

}  // namespace
}  // namespace pellora
