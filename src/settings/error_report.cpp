#include "settings/error_report.h"

#include <exception>

#include "ui/services.h"

namespace pellora {

void runReportingErrors(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    ui::platform().messageBoxes().show(ui::MessageKind::Error, error.what(),
                                       {ui::MessageButton::OK});
  }
}

}  // namespace pellora
