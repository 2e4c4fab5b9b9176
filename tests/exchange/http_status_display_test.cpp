#include "exchange/http_status_display.h"

#include <gtest/gtest.h>

#include "support/fake_platform.h"

namespace pellora::exchange {
namespace {

class StatusDisplayTest : public ::testing::Test {
 protected:
  ui::Control form{ui::ControlKind::Form, "MainForm"};
  ui::Control& panel = HttpStatusDisplay::createControls(form);
  ui::Control& label = panel.child("StatusLabel");
  ui::Control& bar = panel.child("StatusProgress");
  test::FakeCursor cursor;
  HttpStatusDisplay display{panel, label, bar, cursor};
  TIdHTTP http;
};

TEST_F(StatusDisplayTest, StartsHiddenWithItsDesignTimeLayout) {
  EXPECT_FALSE(panel.visible());
  EXPECT_EQ(panel.bounds().width, 300);
  EXPECT_EQ(panel.bounds().height, 90);
  EXPECT_EQ(label.bounds(), (ui::Bounds{25, 17, 256, 13}));
  EXPECT_EQ(bar.bounds(), (ui::Bounds{25, 49, 248, 16}));
  EXPECT_EQ(bar.kind(), ui::ControlKind::ProgressBar);
  EXPECT_EQ(bar.maximum(), 100);
  EXPECT_EQ(bar.position(), 5);
}

TEST_F(StatusDisplayTest, PlacementCentresOverTheEditorBelowTheToolBar) {
  struct Row {
    int width, height, toolbar, left, top;
  };
  const Row rows[] = {{800, 600, 52, 250, 307},
                      {801, 601, 0, 250, 255},
                      {100, 50, 10, -100, -10},
                      {-1, -1, 0, -150, -45}};  // division truncates toward zero
  for (const Row& row : rows) {
    display.place(row.width, row.height, row.toolbar);
    EXPECT_EQ(panel.bounds(), (ui::Bounds{row.left, row.top, 300, 90}))
        << row.width << "x" << row.height;
  }
}

TEST_F(StatusDisplayTest, ShowAndHideDriveThePanelAndTheCursor) {
  display.show("Saving Content \"a\" ...");
  EXPECT_TRUE(panel.visible());
  EXPECT_EQ(label.caption(), "Saving Content \"a\" ...");
  EXPECT_EQ(cursor.shape, ui::CursorShape::HourGlass);
  display.hide();
  EXPECT_FALSE(panel.visible());
  EXPECT_EQ(cursor.shape, ui::CursorShape::Default);
}

TEST_F(StatusDisplayTest, ProgressHandlersFillTheBarPerPhase) {
  display.bind(http);
  http.OnWorkBegin(http, wmWrite, 40);
  EXPECT_EQ(bar.position(), 0);
  EXPECT_EQ(bar.maximum(), 40);
  http.OnWork(http, wmWrite, 30);
  EXPECT_EQ(bar.position(), 30);
  http.OnWorkEnd(http, wmWrite);
  EXPECT_EQ(bar.position(), 0);

  http.OnWorkBegin(http, wmRead, 0);  // size not announced: the bar stays empty
  http.OnWork(http, wmRead, 4096);
  EXPECT_EQ(bar.position(), 0);

  http.OnWorkBegin(http, wmRead, std::int64_t{1} << 40);  // beyond the bar's range
  http.OnWork(http, wmRead, std::int64_t{1} << 35);
  EXPECT_EQ(bar.maximum(), 2147483647);
  EXPECT_EQ(bar.position(), 2147483647);

  http.OnStatus(http, hsConnected, "Connected.");
  EXPECT_EQ(bar.position(), 2147483647);
}

}  // namespace
}  // namespace pellora::exchange
