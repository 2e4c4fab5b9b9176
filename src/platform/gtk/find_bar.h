// The editor's find bar: a search-bar strip below the tool bars that finds
// in whichever view is showing, and replaces with Ctrl+H.
//
// Keys: Ctrl+F opens it for finding, Ctrl+H with the replace field; Enter
// and F3 select the next match, Shift+Enter and Shift+F3 the one before;
// Enter in the replace field replaces the selected match. Escape closes the
// bar and gives the view the focus back with the selection on the current
// match. Typing searches once it pauses briefly; every match is marked and
// the bar tells which one is selected ("3 of 12"). The bar keeps its text
// and follows a switch of the view, searching the new one.
//
// Its widgets are named (findEntry, replaceEntry, findCount, ...) so a host
// or a test finds them; its texts follow the interface language.
// Covered by tests/app/find_journey_test.cpp.
#pragma once

#include <gtk/gtk.h>

#include <memory>

#include "platform/gtk/addition_names.h"
#include "platform/gtk/find_targets.h"
#include "platform/gtk/signal_connection.h"
#include "ui/services.h"

namespace pellora::gtk {

class FindBar {
 public:
  // Searches `visual` (may be null) while the page holding its view shows
  // in `pages`, `source` otherwise.
  FindBar(std::unique_ptr<FindTarget> visual, std::unique_ptr<FindTarget> source, GtkWidget* pages);
  ~FindBar();
  FindBar(const FindBar&) = delete;
  FindBar& operator=(const FindBar&) = delete;

  // The strip, to be packed where it shows.
  GtkWidget* widget() const { return bar_; }
  // Follows the bar's keys that reach `widget` (the editor's widget tree,
  // and each view, whose own key handling would take them first).
  void followKeys(GtkWidget* widget);

  void open(bool withReplace);
  void close();
  // Shows the searched view's answer for its selection again (a count that
  // became known later).
  void showCount();

 private:
  static gboolean onKey(GtkWidget*, GdkEventKey* event, gpointer data);
  static gboolean onEntryKey(GtkWidget* entry, GdkEventKey* event, gpointer data);
  static void onTyped(GtkEditable*, gpointer data);
  static void onSearchChanged(GtkSearchEntry*, gpointer data);
  static void onOptionToggled(GtkToggleButton*, gpointer data);
  static void onModeChanged(GObject*, GParamSpec*, gpointer data);
  static void onSwitchPage(GtkNotebook*, GtkWidget*, guint, gpointer data);
  static void onButton(GtkButton* button, gpointer data);

  bool isOpen() const;
  FindTarget* activeTarget() const;
  FindQuery query() const;
  void search(FindStep step);
  void replace(bool all);
  void show(const FindAnswer& answer);
  // Searches once the active view can be searched (a page may be loading).
  void searchWhenReady(int triesLeft);
  // Marks the bar for hosts while a search is due (see kSearchingKey).
  void setSearching(bool searching);

  std::unique_ptr<FindTarget> visual_, source_;
  GtkWidget* pages_;
  GtkWidget* bar_ = nullptr;
  GtkWidget* findEntry_ = nullptr;
  GtkWidget* replaceEntry_ = nullptr;
  GtkWidget* replaceRow_ = nullptr;
  GtkWidget* count_ = nullptr;
  GtkWidget* matchCase_ = nullptr;
  GtkWidget* wholeWords_ = nullptr;
  // The target searched last, whose marks go when another is searched.
  FindTarget* searched_ = nullptr;
  // How many the last replacement replaced, while its answer shows.
  int replaced_ = 0;
  std::unique_ptr<ui::Timer> retry_;
  std::vector<SignalConnection> connections_;
};

}  // namespace pellora::gtk
