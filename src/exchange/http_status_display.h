// The editor form's small status display for network operations: a panel
// with a text line and a progress bar. Callers place it over the visual
// editor, show it with their text while a request runs and hide it however
// the request ends; the client's progress events drive the bar, which fills
// from empty for every phase, sending and receiving in turn.
#pragma once

#include <cstdint>
#include <string>

#include "exchange/http_client.h"
#include "ui/control.h"
#include "ui/services.h"

namespace pellora::exchange {

class HttpStatusDisplay {
 public:
  HttpStatusDisplay(ui::Control& statusPanel, ui::Control& statusLabel, ui::Control& statusProgress,
                    ui::ScreenCursor& cursor);

  // Creates StatusPanel (hidden, 300 x 90) with StatusLabel and
  // StatusProgress inside, as the editor form has them at start.
  static ui::Control& createControls(ui::Control& form);

  // Centres the panel over the visual editor, moved down by the tool-bar band.
  void place(int editorWidth, int editorHeight, int toolbarHeight);
  // Shows the panel with `text` and the hourglass.
  void show(const std::string& text);
  // Hides the panel and restores the default cursor.
  void hide();

  // Progress handlers of the client's events.
  void IdHTTPWorkBegin(TIdHTTP& Sender, TWorkMode AWorkMode, std::int64_t AWorkCountMax);
  void IdHTTPWork(TIdHTTP& Sender, TWorkMode AWorkMode, std::int64_t AWorkCount);
  void IdHTTPWorkEnd(TIdHTTP& Sender, TWorkMode AWorkMode);
  void IdHTTPStatus(TIdHTTP& ASender, TIdStatus AStatus, const std::string& AStatusText);

  // Connects the four handlers to the client's events. The display must
  // outlive the binding (the editor form owns both).
  void bind(TIdHTTP& client);

 private:
  ui::Control& StatusPanel;
  ui::Control& StatusLabel;
  ui::Control& StatusProgress;
  ui::ScreenCursor& cursor_;
};

// Shows the display with a text for its lifetime: the panel hides and the
// cursor comes back however the operation ends.
class ShownStatus {
 public:
  ShownStatus(HttpStatusDisplay& display, const std::string& text) : display_(display) {
    display_.show(text);
  }
  ~ShownStatus() { display_.hide(); }
  ShownStatus(const ShownStatus&) = delete;
  ShownStatus& operator=(const ShownStatus&) = delete;

 private:
  HttpStatusDisplay& display_;
};

}  // namespace pellora::exchange
