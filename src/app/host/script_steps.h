// The steps of the host's scripts, grouped by what they do, and the few
// helpers they share. Each step prints what it found and returns false when
// it could not act.
#pragma once

#include <gtk/gtk.h>

#include <optional>
#include <string>
#include <vector>

#include "app/host/module_client.h"
#include "app/host/window_watcher.h"

namespace pellora::host {

struct StepContext {
  ModuleClient* control;   // nullptr before the control exists
  GtkWidget*& window;      // the host window; nullptr without a display or once closed
  WindowWatcher* windows;  // nullptr without a display
};
using Words = std::vector<std::string>;

// ---- shared helpers -----------------------------------------------------------

// Handles every event that is waiting.
void settle();
// Runs the main loop until `done` holds; false after `seconds`.
template <typename F>
bool runUntil(F done, int seconds = 30) {
  const gint64 deadline = g_get_monotonic_time() + gint64{seconds} * G_USEC_PER_SEC;
  while (!done()) {
    if (g_get_monotonic_time() > deadline) return false;
    gtk_main_iteration_do(FALSE);
    if (!gtk_events_pending()) g_usleep(2000);
  }
  return true;
}
// The visual view (a WebKit view) and the HTML view (a text view) under
// `root`; nullptr when absent.
GtkWidget* visualView(GtkWidget* root);
GtkWidget* htmlView(GtkWidget* root);
// Runs `script` in the visual view (in `world`, the page's own when null)
// and gives its value as text; nullopt when it threw or timed out.
std::optional<std::string> evaluate(GtkWidget* view, const std::string& script,
                                    const char* world = nullptr);
// Waits until the visual view under `root` (if it shows) has reported what
// the steps before did to it (the selection, an edit), and the editor has
// taken those reports in.
void awaitPageReports(GtkWidget* root);
// `text` as a JavaScript string literal.
std::string jsString(const std::string& text);
// Sends one key press and release, as the keyboard gives them, to the host
// `window`, which hands them to its focus widget; waits until a WebKit view
// has handled them.
void pressKey(GtkWidget* window, guint keyval, GdkModifierType modifiers);
// Prints a failure reason; returns false for `return why(...)`.
bool why(const std::string& reason);

// ---- automation and window answers (control_steps.cpp) -----------------------
bool callStep(StepContext& c, const std::string& member, const Words& args);
bool getStep(StepContext& c, const Words& args);
bool answerStep(StepContext& c, const Words& args);
bool setStep(StepContext& c, const Words& args);
bool checkStep(StepContext& c, const Words& args);
bool fillStep(StepContext& c, const Words& args);
bool captureStep(StepContext& c, const Words& args);
bool echoStep(StepContext& c, const Words& args);

// ---- the editor's controls (widget_steps.cpp) ---------------------------------
bool clickStep(StepContext& c, const Words& args);
bool tabStep(StepContext& c, const Words& args);
bool chooseStep(StepContext& c, const Words& args);
bool menuStep(StepContext& c, const Words& args);

// ---- selection and keys (input_steps.cpp) -------------------------------------
bool selectStep(StepContext& c, const Words& args);
bool caretStep(StepContext& c, const Words& args);
bool typeStep(StepContext& c, const Words& args);
bool keyStep(StepContext& c, const Words& args);
bool clipboardStep(StepContext& c, const Words& args);

// ---- what is on screen (inspect_steps.cpp) ------------------------------------
bool waitStep(StepContext& c, const Words& args);
bool stateStep(StepContext& c, const Words& args);
bool hintStep(StepContext& c, const Words& args);
bool sourceStep(StepContext& c, const Words& args);
bool bodyStep(StepContext& c, const Words& args);
bool zoomStep(StepContext& c, const Words& args);
bool pixelStep(StepContext& c, const Words& args);
bool screenshotStep(StepContext& c, const Words& args);

// ---- the host window (window_steps.cpp) -----------------------------------------
bool quitStep(StepContext& c, const Words& args);
bool windowStep(StepContext& c, const Words& args);

// ---- the find bar and the status line (find_steps.cpp) --------------------------
bool statusStep(StepContext& c, const Words& args);

}  // namespace pellora::host
