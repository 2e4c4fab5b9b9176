// A quiet line at the editor's foot with the counts of the view showing:
// words and characters of the document, and of the selection when there is
// one. Nothing is counted within a keystroke's own handling:
// - the visual view's page keeps its counts per block and posts them once
//   it has rested (page/find.js);
// - the HTML view's words are kept edit by edit from the edit's own text
//   and its two neighbours, its characters are the buffer's count, and the
//   selection is counted once the caret rests.
// Covered by tests/app/find_journey_test.cpp.
#pragma once

#include <gtksourceview/gtksource.h>
#include <webkit2/webkit2.h>

#include <memory>
#include <vector>

#include "content/word_count.h"
#include "platform/gtk/addition_names.h"
#include "platform/gtk/signal_connection.h"
#include "ui/services.h"

namespace pellora::gtk {

// The counts a view shows; a selection count of -1 means no selection.
struct ViewCounts {
  content::TextCounts document;
  content::TextCounts selection{-1, -1};
};

class StatusLine {
 public:
  // `visual` may be null; `pages` decides which view's counts show.
  StatusLine(GtkWidget* visual, GtkSourceView* source, GtkWidget* pages);
  ~StatusLine();
  StatusLine(const StatusLine&) = delete;
  StatusLine& operator=(const StatusLine&) = delete;

  GtkWidget* widget() const { return line_; }

 private:
  static void onPageChanged(WebKitUserContentManager*, WebKitJavascriptResult*, gpointer data);
  static void onPageCounts(WebKitUserContentManager*, WebKitJavascriptResult* result,
                           gpointer data);
  static void onInsertText(GtkTextBuffer*, GtkTextIter* at, gchar* text, gint length,
                           gpointer data);
  static void onDeleteRange(GtkTextBuffer*, GtkTextIter* from, GtkTextIter* to, gpointer data);
  static void onSourceChanged(GtkTextBuffer*, gpointer data);
  static void onMarkSet(GtkTextBuffer*, GtkTextIter*, GtkTextMark* mark, gpointer data);
  static void onSwitchPage(GtkNotebook*, GtkWidget*, guint, gpointer data);

  bool sourceShowing() const;
  // Who still owes counts: the page, the HTML view's rest, or both.
  enum Owing { kPageOwes = 1, kSourceOwes = 2 };
  void setOwing(Owing who, bool owes);
  // Counts the HTML view's selection and shows the line, once edits rest.
  void updateSoon();
  void show();

  GtkWidget* line_ = nullptr;
  GtkWidget* visual_;
  GtkSourceView* source_;
  GtkWidget* pages_;
  WebKitUserContentManager* content_ = nullptr;
  ViewCounts pageCounts_;
  bool pageCounted_ = false;
  int owing_ = 0;
  long sourceWords_ = 0;
  content::TextCounts sourceSelection_{-1, -1};
  std::unique_ptr<ui::Timer> update_;
  std::vector<SignalConnection> connections_;
};

}  // namespace pellora::gtk
