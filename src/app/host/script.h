// Scripts of the host: one automation call or user step per line, run in
// order, each printed with its outcome. The steps and their words are in
// the table of script.cpp (`pellora --help` prints it). Words are separated
// by blanks; "double quotes" keep blanks in one word. A step that cannot act
// fails and says why; the run fails when any step did.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "app/host/module_client.h"
#include "app/host/window_watcher.h"
#include "platform/gtk/signal_connection.h"

namespace pellora::host {

// Splits a script line into words.
std::vector<std::string> splitWords(const std::string& line);

// The list of steps for the help text, one line each.
std::string scriptHelp();

// Whether a line only prepares the answer of a window (or is empty or a
// comment): such lines may run before the control exists.
bool preparesWindows(const std::string& line);

class ScriptRunner {
 public:
  // `windows` answers the control's windows; nullptr without a display.
  // `timestamps`: each step printed with the monotonic clock's milliseconds
  // as it starts ("[T] > step") and a line "[T] <" when it has ended, so
  // benchmarks can time steps from outside.
  explicit ScriptRunner(WindowWatcher* windows, bool timestamps = false)
      : windows_(windows), timestamps_(timestamps) {}
  // The control and the host window (nullptr without a display) the steps
  // act on; until then only window preparations run.
  void attach(ModuleClient& control, GtkWidget* window);
  // Runs every line; false when a line failed.
  bool run(const std::vector<std::string>& lines);

 private:
  bool step(const std::vector<std::string>& words);

  // The clock's reading for a line, or nothing without timestamps.
  std::string stamp() const;

  WindowWatcher* windows_;
  bool timestamps_;
  ModuleClient* control_ = nullptr;
  GtkWidget* window_ = nullptr;
  // Clears window_ when the window goes first.
  gtk::SignalConnection windowGone_;
};

}  // namespace pellora::host
