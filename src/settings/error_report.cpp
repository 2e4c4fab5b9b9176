#include "settings/error_report.h"

#include <exception>

#include "ui/services.h"

namespace pellora {

void runReportingErrors(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    showErrorReport(error.what());
  }
}

void showErrorReport(const std::string& text) {
  ui::platform().messageBoxes().show(ui::MessageKind::Error, text, {ui::MessageButton::OK});
}

}  // namespace pellora
