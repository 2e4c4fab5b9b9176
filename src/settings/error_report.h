// Failures that escape an event handler end in the error box a form
// framework shows by default: an error message box with the failure's text
// and one OK button. The handler's remaining steps are skipped, the program
// goes on.
#pragma once

#include <functional>
#include <string>

namespace pellora {

// Runs `handler`; a std::exception it throws is shown in the error box.
void runReportingErrors(const std::function<void()>& handler);

// The error box itself; `text` is Windows-1252.
void showErrorReport(const std::string& text);

}  // namespace pellora
