// The HTML view: a GtkSourceView bound to a source editor control of the
// widget model. The view shows the control's text with HTML highlighting in
// the editor's colour scheme (comments gray; tag names, attribute names,
// symbols and values navy; server script maroon; nothing bold) in
// "Courier New" 13 px, falling back to monospace (scaled by the editor's
// zoom, see view_zoom.h), with line numbers, long lines wrapped at the
// view's edge, the caret's line marked and the bracket matching the one at
// the caret (a tag's angle brackets too) highlighted. Every edit of the buffer
// becomes the control's text and raises its `onChange`; text the model sets
// is merged into the buffer as one edit, so the view's own undo keeps
// working; text the model resets (and the first text) starts a fresh undo
// history, so undo never brings back what was there before. The selection
// follows both ways (the model counts bytes of its Windows-1252 text, the
// buffer characters: one byte is one character, except a character the code
// page lacks, which the model holds as a reference).
//
// The model's text is kept in step edit by edit (a typed character costs
// the size of the change, not of the text): the buffer's insert and delete
// signals update a Windows-1252 mirror, which the model takes as its text
// only when that is read whole.
//
// Keys beyond the text view's own: Ctrl+Y delete line, Ctrl+Shift+Y delete
// to the end of the line, Ctrl+T delete word, Ctrl+N insert line,
// Ctrl+Shift+I / Ctrl+Shift+U indent / unindent the selected lines,
// Alt+Backspace undo, Ctrl+Shift+Z redo. Insert toggles overwrite.
#pragma once

#include <gtksourceview/gtksource.h>

#include <functional>
#include <vector>

#include "content/cp1252_mirror.h"
#include "platform/gtk/signal_connection.h"
#include "ui/control.h"

namespace pellora::gtk {

// The style scheme and language of the HTML view (created once per process
// from definitions of our own).
GtkSourceStyleScheme* htmlViewScheme();
GtkSourceLanguage* htmlViewLanguage();

class SourceViewBinding {
 public:
  // `popup` opens the form's popup menu for a right-click or the menu key.
  SourceViewBinding(ui::Control& model, std::function<void(const GdkEvent*)> popup);
  ~SourceViewBinding();
  SourceViewBinding(const SourceViewBinding&) = delete;
  SourceViewBinding& operator=(const SourceViewBinding&) = delete;

  // The scrolled window that holds the view.
  GtkWidget* widget() const { return scroller_; }
  GtkSourceView* view() const { return view_; }
  GtkSourceBuffer* buffer() const { return buffer_; }

  // Follows a model change.
  void apply(ui::Property property);

  // The keys of the view, as a key press handler (exposed for tests).
  bool handleKey(guint keyval, GdkModifierType state);

 private:
  static void onBufferChanged(GtkTextBuffer*, gpointer data);
  static void onInsertText(GtkTextBuffer*, GtkTextIter* at, gchar* text, gint length,
                           gpointer data);
  static void onDeleteRange(GtkTextBuffer*, GtkTextIter* from, GtkTextIter* to, gpointer data);
  static void onMarkSet(GtkTextBuffer*, GtkTextIter*, GtkTextMark*, gpointer data);
  static gboolean onKeyPress(GtkWidget*, GdkEventKey*, gpointer data);
  static gboolean onButtonPress(GtkWidget*, GdkEventButton*, gpointer data);
  static gboolean onPopupMenu(GtkWidget*, gpointer data);
  static void onSizeAllocate(GtkWidget*, GdkRectangle* allocation, gpointer data);
  static void onMap(GtkWidget*, gpointer data);
  // Highlights the view's text from now on.
  void useLanguage();

  std::string bufferText() const;
  void pushChange();
  void pushSelection();
  // `fresh`: the text is a new start, not an edit.
  void pullText(bool fresh);
  void pullSelection();

  ui::Control& model_;
  std::function<void(const GdkEvent*)> popup_;
  GtkWidget* scroller_ = nullptr;
  GtkSourceView* view_ = nullptr;
  GtkSourceBuffer* buffer_ = nullptr;
  // Set while the view follows the model, so the echo is not taken as input.
  bool following_ = false;
  // The model's resetText count the buffer has followed.
  unsigned seenResets_ = 0;
  // Text was put in while the view was hidden; its first showing may need
  // the layout measured again (see onSizeAllocate).
  bool filledHidden_ = false;
  int allocatedHeight_ = 0;
  // The buffer's text in the model's code page, lent to the model.
  content::Cp1252Mirror mirror_;
  // Last, so the handlers are disconnected first.
  std::vector<SignalConnection> connections_;
};

}  // namespace pellora::gtk
