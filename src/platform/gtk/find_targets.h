// What the find bar searches: the view of the page showing. Each view finds,
// selects, marks and replaces matches its own way; the bar only asks.
// - The visual view (PageFind): the page script finds the text as shown,
//   across formatting, marks every match and replaces as edits of the
//   page's one undo history (Replace All one step).
// - The HTML view (SourceFind): GtkSourceView's search context over the
//   source; its replacements are steps of the view's own undo.
// Texts are UTF-8, as the widgets hold them.
// Covered by tests/app/find_journey_test.cpp.
#pragma once

#include <gtksourceview/gtksource.h>

#include <functional>
#include <string>

#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/signal_connection.h"

namespace pellora::gtk {

// Whether `view` is on the page `pages` (a notebook) shows.
bool onCurrentPage(GtkWidget* pages, GtkWidget* view);

struct FindQuery {
  std::string text;
  bool matchCase = false;
  bool wholeWords = false;
};

// Which match a search selects: the first from the selection's start on
// (the selection itself when it is one), the one after it, the one before.
enum class FindStep { FromSelection, Next, Previous };

struct FindAnswer {
  int count = 0;  // -1 while the view is still counting
  int index = 0;  // the selected match's number from 1; 0 when none is
  int replaced = 0;
};

class FindTarget {
 public:
  virtual ~FindTarget() = default;
  // The widget that shows the text, which gets the focus back.
  virtual GtkWidget* view() const = 0;
  // False while the view cannot be searched (a document is loading).
  virtual bool ready() const = 0;
  virtual FindAnswer find(const FindQuery& query, FindStep step) = 0;
  // Replaces the selected match and selects the next; without a match
  // selected, only selects the next.
  virtual FindAnswer replace(const FindQuery& query, const std::string& with) = 0;
  virtual FindAnswer replaceAll(const FindQuery& query, const std::string& with) = 0;
  // The answer for the selection now (a count may have become known since).
  virtual FindAnswer current() = 0;
  // No more marks; the selection stays on the match.
  virtual void end() = 0;
};

class PageFind final : public FindTarget {
 public:
  // `run` runs a script in the page's own world and answers its value as text.
  using RunScript = std::function<std::string(const std::string&)>;
  PageFind(GtkWidget* view, RunScript run) : view_(view), run_(std::move(run)) {}

  GtkWidget* view() const override { return view_; }
  bool ready() const override;
  FindAnswer find(const FindQuery& query, FindStep step) override;
  FindAnswer replace(const FindQuery& query, const std::string& with) override;
  FindAnswer replaceAll(const FindQuery& query, const std::string& with) override;
  FindAnswer current() override { return last_; }
  void end() override;

 private:
  FindAnswer call(const std::string& function, const FindQuery& query, const std::string& last);

  GtkWidget* view_;
  RunScript run_;
  FindAnswer last_;
};

class SourceFind final : public FindTarget {
 public:
  // `counted` runs when the view has counted the matches after an answer
  // that had no count yet.
  SourceFind(GtkSourceView* view, std::function<void()> counted);

  GtkWidget* view() const override { return GTK_WIDGET(view_); }
  bool ready() const override { return true; }
  FindAnswer find(const FindQuery& query, FindStep step) override;
  FindAnswer replace(const FindQuery& query, const std::string& with) override;
  FindAnswer replaceAll(const FindQuery& query, const std::string& with) override;
  FindAnswer current() override;
  void end() override;

 private:
  static void onCounted(GObject*, GParamSpec*, gpointer data);
  void use(const FindQuery& query);
  GtkTextBuffer* buffer() const { return gtk_text_view_get_buffer(GTK_TEXT_VIEW(view_)); }
  // The match that is the selection, if it is one.
  bool selectionIsMatch(GtkTextIter& start, GtkTextIter& end);
  void select(GtkTextIter& start, GtkTextIter& end);

  GtkSourceView* view_;
  std::function<void()> counted_;
  GObjectPtr<GtkSourceSearchSettings> settings_;
  GObjectPtr<GtkSourceSearchContext> context_;
  SignalConnection countedConnection_;
};

}  // namespace pellora::gtk
