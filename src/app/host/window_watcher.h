// Answers the control's modal windows (message boxes and dialogs) for a
// script. The script queues what the next window gets: field texts, check
// box states and the button to press. A window nobody answers, or one that
// stays open after its answer, is closed by its frame after a grace period
// and counted as a failure, so no script step waits for ever.
//
// Install the watcher before the control is created: the control raises
// windows while it is being built (a settings error, for one).
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>
#include <vector>

namespace pellora::host {

class WindowWatcher {
 public:
  // Seconds a modal window may stay open before it is closed.
  static constexpr guint kGraceSeconds = 10;

  WindowWatcher();
  ~WindowWatcher();
  WindowWatcher(const WindowWatcher&) = delete;
  WindowWatcher& operator=(const WindowWatcher&) = delete;

  // The next window is answered by pressing LABEL (a button's caption or
  // name). When LABEL names a radio button or check box, that is set and
  // then the window's OK button is pressed.
  void queueAnswer(const std::string& label);
  // Before its answer, the next window gets TEXT in the field NAME.
  void queueField(const std::string& name, const std::string& text);
  // ... the check box or radio button NAME set on or off.
  void queueCheck(const std::string& name, bool on);
  // ... TEXT in the field whose label reads LABEL.
  void queueFill(const std::string& label, const std::string& text);
  // ... written to FILE as PNG once it has drawn itself, before its answer.
  void queueCapture(const std::string& file);

  // How many windows went wrong (unanswered, answer not possible, left
  // open); the runner compares it around each step.
  unsigned failures() const { return failures_; }

 private:
  struct Setting {
    enum class By { Name, Label } by;
    std::string key;
    std::string text;  // a field's text, or "on"/"off" for a check box
    bool toggle = false;
  };
  struct Pending;

  static gboolean onMap(GSignalInvocationHint*, guint, const GValue* values, gpointer data);
  void answer(GtkWindow* window);
  bool apply(GtkWindow* window, const Setting& setting);
  void watch(GtkWindow* window);
  void fail(const char* why);

  std::vector<std::string> answers_;
  std::vector<Setting> settings_;
  std::vector<std::string> captures_;
  std::vector<std::unique_ptr<Pending>> pending_;
  unsigned failures_ = 0;
  gulong hook_ = 0;
};

}  // namespace pellora::host
