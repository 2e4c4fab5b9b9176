// The host window around the control, as a desktop user expects it: the
// title names the item and marks unsaved edits; closing the editor (the
// page's Close button) or the window (its ×) with unsaved edits asks first
// whether to save, discard or cancel; once the editor is closed the window
// says whether it was saved and offers to close or to load the item again;
// a call that fails is reported, never ignored. Texts follow the control's
// interface language.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "app/host/module_client.h"

namespace pellora::host {

class HostWindow {
 public:
  // Builds and shows the window around `control`'s widget.
  explicit HostWindow(ModuleClient& control);
  // Destroys the window if it is still there.
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  // The window; nullptr once it is destroyed.
  GtkWidget* window() const { return window_; }
  void destroy();

  // Widget names the scripts and tests find.
  static constexpr const char* kPages = "HostPages";      // a GtkStack
  static constexpr const char* kMessage = "HostMessage";  // the closed page's text
  static constexpr const char* kEditorPage = "editor";    // its pages
  static constexpr const char* kClosedPage = "closed";

 private:
  enum class Answer { Save, Discard, Cancel };

  static void onStateChanged(void* self);
  static gboolean onDelete(GtkWidget*, GdkEvent*, gpointer self);
  void scheduleUpdate();
  // Brings title and page in line with the document.
  void update();
  // Closes the editor, asking first about unsaved edits; true when it is
  // gone.
  bool closeEditor();
  Answer ask(const ModuleClient::DocumentState& state);
  void save();
  void loadAgain();
  // Shows a failed call's message in a modal box.
  void report(const std::string& what, const std::string& detail);
  void showEditor();
  std::string language();

  ModuleClient& control_;
  GtkWidget* window_ = nullptr;
  GtkWidget* pages_ = nullptr;
  GtkWidget* editorPage_ = nullptr;
  GtkWidget* view_ = nullptr;  // the control's widget
  GtkWidget* message_ = nullptr;
  GtkWidget* saveButton_ = nullptr;
  GtkWidget* closeButton_ = nullptr;
  GtkWidget* closeWindowButton_ = nullptr;
  GtkWidget* loadAgainButton_ = nullptr;
  guint updateSource_ = 0;
  // While a question or a call of ours runs: a second × waits for it.
  bool busy_ = false;
  // The language of the last state read; kept when the module tells none.
  std::string language_;
};

}  // namespace pellora::host
