// The visual editing surface on WebKitGTK: an editable WebKitWebView behind
// the editor's surface interface. Commands run as the engine's editing
// commands or as small scripts of our own (tables); status values, the
// block format and the body come from the page in one script round trip per
// display change and are cached until the next change. Script results are
// awaited synchronously in a nested main loop that never nests twice.
//
// The page runs none of the content's scripts, never navigates away from
// what setDocumentHTML loaded, and fetches remote resources only from the
// content's own server. Text crosses in Windows-1252; characters outside it
// come back as numeric character references.
//
// Its parts: the document phase and the call in progress with their legal
// changes (surface_state.h), the script wait (script_wait.h), the record
// of the page's last answer (page_state.h) and the navigation policy
// (navigation_policy.h).
//
// Covered by tests/platform/gtk/webkit_surface_test.cpp.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gtk/surface_dialogs.h"
#include "platform/gtk/surface_widget.h"
#include "ui/editing_surface.h"

namespace pellora::gtk {

// GObject data key on the view: non-zero while a document put is loading.
// Hosts that drive the view from outside wait on it by this name.
inline constexpr const char* kBusyKey = "pellora-busy";

class WebKitEditingSurface final : public ui::EditingSurface, public SurfaceWidget {
 public:
  WebKitEditingSurface();
  ~WebKitEditingSurface() override;
  WebKitEditingSurface(const WebKitEditingSurface&) = delete;
  WebKitEditingSurface& operator=(const WebKitEditingSurface&) = delete;

  // The WebKitWebView.
  GtkWidget* widget() const override;

  // The dialogs of option 1 (hyperlink, image, font). GTK dialogs unless
  // replaced (tests script them).
  void setDialogs(std::unique_ptr<SurfaceDialogs> dialogs);

  ui::CommandArg ExecCommand(int cmdID, int cmdexecopt, const ui::CommandArg& pInVar) override;
  int QueryStatus(int cmdID) override;
  // While a put is loading: the document put, never the page before it.
  std::string DocumentHTML() override;
  // Relative addresses resolve against editingContext().BaseUrl +
  // "/contents/", read at each call.
  void setDocumentHTML(const std::string& html) override;
  bool Busy() override;
  bool ShowDetails() override;
  void setShowDetails(bool value) override;
  std::string FilterSourceCode(const std::string& text) override;
  ui::HtmlDocument* DOM() override;
  void SetContextMenu(const ui::ContextMenuStrings& menuStrings,
                      const ui::ContextMenuStates& menuStates) override;

  // Runs a script of ours in the page and waits for its result as UTF-8
  // text (JSON for objects): the page script's own tools beside the
  // commands (find and replace, counts). The cached states are dropped, as
  // the script may have changed the page. Throws on a script error or when
  // called while another evaluation is awaited.
  std::string runPageScript(const std::string& script);
  // The same, for tests and benchmarks.
  std::string evaluateForTesting(const std::string& script) { return runPageScript(script); }

  // The entries of the context menu last shown (UTF-8, separators left
  // out), and choosing one by its label as the user would; false when no
  // entry has that label. For tests.
  std::vector<std::string> contextMenuLabelsForTesting() const;
  bool chooseContextMenuEntryForTesting(const std::string& label);

  // How often a body handed out fell back to the engine's form because the
  // author's spelling would not parse to what the view shows. For tests.
  unsigned sourceFallbacksForTesting() const;

  // Forgets the cached states so the next query makes the naive round trip
  // per query; for the benchmark's comparison.
  void setCachingForTesting(bool enabled);

  // The block formats this surface offers, by its own names.
  static std::vector<std::string> blockFormatNames();

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace pellora::gtk
