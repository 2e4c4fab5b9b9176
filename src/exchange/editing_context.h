// The editing context: the handful of process-wide values that the control's
// automation members set and that loading, saving, the two views and the
// image transfer read and write. They outlive any one control instance; a
// later control in the same process starts with what the earlier one left.
// All text is Windows-1252.
#pragma once

#include <functional>
#include <string>

namespace pellora {

struct EditingContext {
  // Base address of the installation, without a trailing slash.
  std::string BaseUrl = "http://localhost/tessaron/tessaron-2.0/tessaron";
  std::string ContentName = "Sample 1";
  std::string AuthToken = "0f3c9a7e51d2b8846a0e7c3f92d1b5a6";
  // Option words of the host ("nohtml", "nostyle", ...).
  std::string EditOptions;
  // Body markup only, never a whole document.
  std::string ContentBody;
  std::string UndoBody;
  bool SaveSucceeded = false;
};

// The one context of this process.
EditingContext& editingContext();

// While the HTML view is edited, ContentBody follows its text keystroke by
// keystroke. Copying the whole text on every keystroke would cost each one
// the size of the document, so the edit only names where the text is, and
// the next editingContext() call takes it into ContentBody. Whoever names a
// source must settle it (call editingContext()) before the source goes away.
void followContentBody(std::function<std::string()> source);

// Restores the initial values; for tests, which each start from a fresh
// process state.
void resetEditingContextForTesting();

}  // namespace pellora
