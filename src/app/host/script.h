// Scripts of the host: one automation call or user action per line, run in
// order, each printed with its outcome. Lines:
//
//   Params URL CONTENT AUTH | Options WORDS | Load | Save | Close
//   get PROPERTY            read a property of the control
//   answer LABEL            the next message box or dialog is answered by
//                           pressing its button LABEL ("OK", "Abbrechen",
//                           or a dialog button's name such as "Button1")
//   wait                    until the visual view has finished loading
//   select WORD             select the first occurrence of WORD in the
//                           visual view
//   click NAME              click the editor's control NAME (e.g. btnBold)
//   tab INDEX               pick page INDEX of the editor (0 Editor, 1 HTML)
//   state NAME              print whether NAME is down/enabled
//   key KEYS [NAME]         press KEYS (e.g. ctrl+z) in the focused widget,
//                           or in NAME after focusing it
//   source                  print the HTML view's text
//   set NAME TEXT           type TEXT into the edit field NAME of an open
//                           dialog (use before `answer`)
//   screenshot FILE         write the host window as a PNG
//   echo TEXT               print TEXT
//
// Words are separated by blanks; "double quotes" keep blanks in one word.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "app/host/module_client.h"

namespace pellora::host {

// Splits a script line into words.
std::vector<std::string> splitWords(const std::string& line);

class ScriptRunner {
 public:
  // `window` is the host window (may be nullptr without a display).
  ScriptRunner(ModuleClient& control, GtkWidget* window);
  ~ScriptRunner();
  ScriptRunner(const ScriptRunner&) = delete;
  ScriptRunner& operator=(const ScriptRunner&) = delete;
  // Runs every line; false when a line failed.
  bool run(const std::vector<std::string>& lines);

 private:
  bool step(const std::vector<std::string>& words);
  static gboolean onMap(GSignalInvocationHint*, guint, const GValue* values, gpointer data);
  void answerOpenWindow(GtkWindow* window);

  ModuleClient& control_;
  GtkWidget* window_;
  std::vector<std::string> answers_;
  std::vector<std::pair<std::string, std::string>> fields_;
  // Texts of check list entries to tick in the next dialog.
  std::vector<std::string> ticks_;
  gulong hook_ = 0;
};

}  // namespace pellora::host
