#include "exchange/http_status_display.h"

#include <algorithm>
#include <limits>

// Covered by tests/exchange/http_status_display_test.cpp.

namespace pellora::exchange {

namespace {

// Byte counts beyond the bar's range are shown as full rather than wrapped.
int toBarValue(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, 0, std::numeric_limits<int>::max()));
}

}  // namespace

HttpStatusDisplay::HttpStatusDisplay(ui::Control& statusPanel, ui::Control& statusLabel,
                                     ui::Control& statusProgress, ui::ScreenCursor& cursor)
    : StatusPanel(statusPanel),
      StatusLabel(statusLabel),
      StatusProgress(statusProgress),
      cursor_(cursor) {}

ui::Control& HttpStatusDisplay::createControls(ui::Control& form) {
  auto& panel = form.add<ui::Control>(ui::ControlKind::Panel, "StatusPanel");
  panel.setBounds({0, 0, 300, 90});
  panel.setVisible(false);
  auto& label = panel.add<ui::Control>(ui::ControlKind::Label, "StatusLabel");
  label.setBounds({25, 17, 256, 13});
  auto& progress = panel.add<ui::Control>(ui::ControlKind::ProgressBar, "StatusProgress");
  progress.setBounds({25, 49, 248, 16});
  progress.setRange(0, 100);
  progress.setPosition(5);
  return panel;
}

void HttpStatusDisplay::place(int editorWidth, int editorHeight, int toolbarHeight) {
  ui::Bounds b = StatusPanel.bounds();
  b.left = editorWidth / 2 - 150;
  b.top = editorHeight / 2 - 45 + toolbarHeight;
  StatusPanel.setBounds(b);
}

void HttpStatusDisplay::show(const std::string& text) {
  StatusLabel.setCaption(text);
  StatusPanel.setVisible(true);
  cursor_.setCursor(ui::CursorShape::HourGlass);
}

void HttpStatusDisplay::hide() {
  cursor_.setCursor(ui::CursorShape::Default);
  StatusPanel.setVisible(false);
}

void HttpStatusDisplay::IdHTTPWorkBegin(TIdHTTP&, TWorkMode, std::int64_t AWorkCountMax) {
  StatusProgress.setPosition(0);
  StatusProgress.setRange(StatusProgress.minimum(), toBarValue(AWorkCountMax));
}

void HttpStatusDisplay::IdHTTPWork(TIdHTTP&, TWorkMode, std::int64_t AWorkCount) {
  if (StatusProgress.maximum() > 0) StatusProgress.setPosition(toBarValue(AWorkCount));
}

void HttpStatusDisplay::IdHTTPWorkEnd(TIdHTTP&, TWorkMode) { StatusProgress.setPosition(0); }

void HttpStatusDisplay::IdHTTPStatus(TIdHTTP&, TIdStatus, const std::string&) {}

void HttpStatusDisplay::bind(TIdHTTP& client) {
  client.OnWorkBegin = [this](TIdHTTP& s, TWorkMode m, std::int64_t max) {
    IdHTTPWorkBegin(s, m, max);
  };
  client.OnWork = [this](TIdHTTP& s, TWorkMode m, std::int64_t count) { IdHTTPWork(s, m, count); };
  client.OnWorkEnd = [this](TIdHTTP& s, TWorkMode m) { IdHTTPWorkEnd(s, m); };
  client.OnStatus = [this](TIdHTTP& s, TIdStatus st, const std::string& text) {
    IdHTTPStatus(s, st, text);
  };
}

}  // namespace pellora::exchange
