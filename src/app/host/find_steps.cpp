// The editor's additions around its form: the find bar's state and the
// status line, as a user reads them.
#include <cstdio>
#include <string>

#include "app/host/script_steps.h"
#include "platform/gtk/addition_names.h"
#include "platform/gtk/widget_search.h"

namespace pellora::host {

namespace {

std::string onOff(GtkWidget* check) {
  return check && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(check)) ? "on" : "off";
}

std::string entryText(GtkWidget* entry) {
  return entry ? gtk_entry_get_text(GTK_ENTRY(entry)) : "";
}

}  // namespace

bool statusStep(StepContext& c, const Words&) {
  // A round trip to the page first: its change notices arrive before the
  // answer, and the line then waits only for the counts they made due.
  awaitPageReports(c.window);
  GtkWidget* line = gtk::findWidget(c.window, gtk::kStatusLineName);
  GtkWidget* bar = gtk::findWidget(c.window, gtk::kFindBarName);
  if (!line || !bar) return why("the editor has no find bar or status line");
  if (!runUntil(
          [line, bar] {
            return !g_object_get_data(G_OBJECT(line), gtk::kCountingKey) &&
                   !g_object_get_data(G_OBJECT(bar), gtk::kSearchingKey);
          },
          10))
    return why("the find bar or the status line was not done in time");
  settle();
  if (!gtk_search_bar_get_search_mode(GTK_SEARCH_BAR(bar))) {
    std::printf("  find bar: closed\n");
  } else {
    GtkWidget* replace = gtk::findWidget(bar, gtk::kReplaceEntryName);
    const bool replacing = replace && gtk_widget_get_visible(replace);
    GtkWidget* count = gtk::findWidget(bar, gtk::kFindCountName);
    std::printf("  find bar: \"%s\"%s, %s, match case %s, whole words %s\n",
                entryText(gtk::findWidget(bar, gtk::kFindEntryName)).c_str(),
                replacing ? (" replace with \"" + entryText(replace) + "\"").c_str() : "",
                count ? gtk_label_get_text(GTK_LABEL(count)) : "",
                onOff(gtk::findWidget(bar, gtk::kMatchCaseName)).c_str(),
                onOff(gtk::findWidget(bar, gtk::kWholeWordsName)).c_str());
  }
  std::printf("  status line: %s\n", gtk_label_get_text(GTK_LABEL(line)));
  return true;
}

}  // namespace pellora::host
