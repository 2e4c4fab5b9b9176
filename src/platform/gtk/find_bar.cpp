#include "platform/gtk/find_bar.h"

#include <gdk/gdkkeysyms.h>

#include <optional>
#include <string>

#include "platform/gtk/callback_boundary.h"
#include "platform/gtk/gtk_text.h"
#include "platform/gtk/main_loop_timer.h"
#include "settings/find_texts.h"
#include "settings/lang.h"

namespace pellora::gtk {

namespace {

std::string shown(FindText text) { return toWidgetText(findText(text)); }

std::string shown(FindText text, std::initializer_list<std::string_view> values) {
  return toWidgetText(fillIn(findText(text), values));
}

std::string number(long long value) { return toWidgetText(groupedNumber(value)); }

enum class BarKey { Find, FindAndReplace, Next, Previous };

std::optional<BarKey> barKeyFor(guint keyval, GdkModifierType state) {
  const guint mods = state & (GDK_CONTROL_MASK | GDK_SHIFT_MASK | GDK_MOD1_MASK | GDK_SUPER_MASK);
  const guint key = gdk_keyval_to_lower(keyval);
  if (mods == GDK_CONTROL_MASK && key == GDK_KEY_f) return BarKey::Find;
  if (mods == GDK_CONTROL_MASK && key == GDK_KEY_h) return BarKey::FindAndReplace;
  if (keyval == GDK_KEY_F3 && mods == 0) return BarKey::Next;
  if (keyval == GDK_KEY_F3 && mods == GDK_SHIFT_MASK) return BarKey::Previous;
  return std::nullopt;
}

GtkWidget* iconButton(const char* icon, const std::string& tip, const char* name) {
  GtkWidget* button = gtk_button_new_from_icon_name(icon, GTK_ICON_SIZE_BUTTON);
  gtk_widget_set_tooltip_text(button, tip.c_str());
  gtk_widget_set_name(button, name);
  gtk_widget_set_can_focus(button, FALSE);
  return button;
}

}  // namespace

FindBar::FindBar(std::unique_ptr<FindTarget> visual, std::unique_ptr<FindTarget> source,
                 GtkWidget* pages)
    : visual_(std::move(visual)), source_(std::move(source)), pages_(pages) {
  bar_ = gtk_search_bar_new();
  g_object_ref_sink(bar_);
  gtk_widget_set_name(bar_, kFindBarName);
  gtk_search_bar_set_show_close_button(GTK_SEARCH_BAR(bar_), TRUE);

  GtkWidget* grid = gtk_grid_new();
  gtk_grid_set_column_spacing(GTK_GRID(grid), 6);
  gtk_grid_set_row_spacing(GTK_GRID(grid), 4);

  findEntry_ = gtk_search_entry_new();
  gtk_widget_set_name(findEntry_, kFindEntryName);
  gtk_entry_set_placeholder_text(GTK_ENTRY(findEntry_), shown(FindText::FindPlaceholder).c_str());
  gtk_entry_set_width_chars(GTK_ENTRY(findEntry_), 28);
  GtkWidget* arrows = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
  gtk_style_context_add_class(gtk_widget_get_style_context(arrows), GTK_STYLE_CLASS_LINKED);
  GtkWidget* previous = iconButton("go-up-symbolic", shown(FindText::Previous), "findPrevious");
  GtkWidget* next = iconButton("go-down-symbolic", shown(FindText::Next), "findNext");
  gtk_container_add(GTK_CONTAINER(arrows), previous);
  gtk_container_add(GTK_CONTAINER(arrows), next);
  count_ = gtk_label_new(nullptr);
  gtk_widget_set_name(count_, kFindCountName);
  gtk_label_set_width_chars(GTK_LABEL(count_), 12);
  gtk_label_set_xalign(GTK_LABEL(count_), 0);
  matchCase_ = gtk_check_button_new_with_label(shown(FindText::MatchCase).c_str());
  gtk_widget_set_name(matchCase_, kMatchCaseName);
  wholeWords_ = gtk_check_button_new_with_label(shown(FindText::WholeWords).c_str());
  gtk_widget_set_name(wholeWords_, kWholeWordsName);
  for (GtkWidget* check : {matchCase_, wholeWords_}) gtk_widget_set_can_focus(check, FALSE);
  gtk_grid_attach(GTK_GRID(grid), findEntry_, 0, 0, 1, 1);
  gtk_grid_attach(GTK_GRID(grid), arrows, 1, 0, 1, 1);
  gtk_grid_attach(GTK_GRID(grid), count_, 2, 0, 1, 1);
  gtk_grid_attach(GTK_GRID(grid), matchCase_, 3, 0, 1, 1);
  gtk_grid_attach(GTK_GRID(grid), wholeWords_, 4, 0, 1, 1);

  replaceEntry_ = gtk_entry_new();
  gtk_widget_set_name(replaceEntry_, kReplaceEntryName);
  gtk_entry_set_placeholder_text(GTK_ENTRY(replaceEntry_),
                                 shown(FindText::ReplacePlaceholder).c_str());
  GtkWidget* replaceOne = gtk_button_new_with_label(shown(FindText::Replace).c_str());
  gtk_widget_set_name(replaceOne, "replaceOne");
  GtkWidget* replaceAll = gtk_button_new_with_label(shown(FindText::ReplaceAll).c_str());
  gtk_widget_set_name(replaceAll, "replaceAll");
  replaceRow_ = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
  gtk_container_add(GTK_CONTAINER(replaceRow_), replaceOne);
  gtk_container_add(GTK_CONTAINER(replaceRow_), replaceAll);
  gtk_grid_attach(GTK_GRID(grid), replaceEntry_, 0, 1, 1, 1);
  gtk_grid_attach(GTK_GRID(grid), replaceRow_, 1, 1, 4, 1);
  gtk_widget_show_all(grid);
  gtk_widget_set_no_show_all(replaceEntry_, TRUE);
  gtk_widget_set_no_show_all(replaceRow_, TRUE);
  gtk_widget_hide(replaceEntry_);
  gtk_widget_hide(replaceRow_);
  gtk_container_add(GTK_CONTAINER(bar_), grid);
  // The entry is not connected to the bar, which would empty it on closing:
  // the next Ctrl+F offers the text again. Its keys are the bar's own.
  // Shown at once: the keys typed right after Ctrl+F go into the field.
  if (GtkWidget* revealer = gtk_bin_get_child(GTK_BIN(bar_)); GTK_IS_REVEALER(revealer))
    gtk_revealer_set_transition_type(GTK_REVEALER(revealer), GTK_REVEALER_TRANSITION_TYPE_NONE);
  gtk_widget_show(bar_);

  const auto connect = [this](gpointer instance, const char* signal, GCallback handler,
                              GConnectFlags flags = GConnectFlags(0)) {
    connections_.emplace_back(instance, signal, handler, this, flags);
  };
  // After the search entry's short pause, so a large item is not searched
  // for every letter of a word typed; the bar says at once that it owes a
  // search.
  connect(findEntry_, "changed", G_CALLBACK((guardedCallback<&onTyped>)));
  connect(findEntry_, "search-changed", G_CALLBACK((guardedCallback<&onSearchChanged>)));
  connect(findEntry_, "key-press-event", G_CALLBACK((guardedCallback<&onEntryKey, TRUE>)));
  connect(replaceEntry_, "key-press-event", G_CALLBACK((guardedCallback<&onEntryKey, TRUE>)));
  connect(matchCase_, "toggled", G_CALLBACK((guardedCallback<&onOptionToggled>)));
  connect(wholeWords_, "toggled", G_CALLBACK((guardedCallback<&onOptionToggled>)));
  connect(bar_, "notify::search-mode-enabled", G_CALLBACK((guardedCallback<&onModeChanged>)));
  for (GtkWidget* button : {previous, next, replaceOne, replaceAll})
    connect(button, "clicked", G_CALLBACK((guardedCallback<&onButton>)));
  if (pages_)
    connect(pages_, "switch-page", G_CALLBACK((guardedCallback<&onSwitchPage>)), G_CONNECT_AFTER);
}

FindBar::~FindBar() {
  connections_.clear();
  retry_.reset();
  gtk_widget_destroy(bar_);
  g_object_unref(bar_);
}

void FindBar::followKeys(GtkWidget* widget) {
  if (widget)
    connections_.emplace_back(widget, "key-press-event", G_CALLBACK((guardedCallback<&onKey>)),
                              this);
}

bool FindBar::isOpen() const { return gtk_search_bar_get_search_mode(GTK_SEARCH_BAR(bar_)); }

FindTarget* FindBar::activeTarget() const {
  if (!visual_) return source_.get();
  if (!source_ || !pages_) return visual_.get();
  return onCurrentPage(pages_, source_->view()) ? source_.get() : visual_.get();
}

FindQuery FindBar::query() const {
  FindQuery q;
  q.text = gtk_entry_get_text(GTK_ENTRY(findEntry_));
  q.matchCase = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(matchCase_));
  q.wholeWords = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(wholeWords_));
  return q;
}

void FindBar::open(bool withReplace) {
  gtk_widget_set_visible(replaceEntry_, withReplace);
  gtk_widget_set_visible(replaceRow_, withReplace);
  const bool wasOpen = isOpen();
  gtk_search_bar_set_search_mode(GTK_SEARCH_BAR(bar_), TRUE);
  gtk_widget_grab_focus(findEntry_);
  gtk_editable_select_region(GTK_EDITABLE(findEntry_), 0, -1);
  if (!wasOpen && gtk_entry_get_text_length(GTK_ENTRY(findEntry_)) > 0)
    search(FindStep::FromSelection);
}

void FindBar::close() { gtk_search_bar_set_search_mode(GTK_SEARCH_BAR(bar_), FALSE); }

void FindBar::search(FindStep step) {
  FindTarget* target = activeTarget();
  if (!target) return setSearching(false);
  if (searched_ && searched_ != target) searched_->end();
  searched_ = target;
  if (!target->ready()) {
    searchWhenReady(200);
    return;
  }
  show(target->find(query(), step));
}

void FindBar::searchWhenReady(int triesLeft) {
  setSearching(true);
  retry_ = startMainLoopTimer(std::chrono::milliseconds(50), [this, triesLeft] {
    FindTarget* target = activeTarget();
    if (!isOpen() || !target) return setSearching(false);
    if (target->ready())
      search(FindStep::FromSelection);
    else if (triesLeft > 0)
      searchWhenReady(triesLeft - 1);
    else
      setSearching(false);
  });
}

void FindBar::setSearching(bool searching) {
  g_object_set_data(G_OBJECT(bar_), kSearchingKey, GINT_TO_POINTER(searching ? 1 : 0));
}

void FindBar::replace(bool all) {
  FindTarget* target = activeTarget();
  if (!target || !target->ready()) return;
  if (searched_ && searched_ != target) searched_->end();
  searched_ = target;
  const std::string with = gtk_entry_get_text(GTK_ENTRY(replaceEntry_));
  show(all ? target->replaceAll(query(), with) : target->replace(query(), with));
}

void FindBar::show(const FindAnswer& answer) {
  replaced_ = answer.replaced;
  const bool empty = gtk_entry_get_text_length(GTK_ENTRY(findEntry_)) == 0;
  std::string text;
  if (answer.replaced > 1 || (answer.replaced == 1 && answer.count == 0))
    text = shown(FindText::Replaced, {number(answer.replaced)});
  else if (empty)
    text.clear();
  else if (answer.count == 0)
    text = shown(FindText::NoMatch);
  else if (answer.count < 0)
    text = answer.index > 0 ? shown(FindText::MatchOf, {number(answer.index), "\u2026"}) : "\u2026";
  else if (answer.index > 0)
    text = shown(FindText::MatchOf, {number(answer.index), number(answer.count)});
  else
    text = shown(FindText::Matches, {number(answer.count)});
  gtk_label_set_text(GTK_LABEL(count_), text.c_str());
  setSearching(answer.count < 0);
  GtkStyleContext* style = gtk_widget_get_style_context(findEntry_);
  if (!empty && answer.count == 0 && answer.replaced == 0)
    gtk_style_context_add_class(style, GTK_STYLE_CLASS_ERROR);
  else
    gtk_style_context_remove_class(style, GTK_STYLE_CLASS_ERROR);
}

void FindBar::showCount() {
  if (!isOpen() || !searched_) return;
  // What was replaced stays said.
  FindAnswer answer = searched_->current();
  answer.replaced = replaced_;
  show(answer);
}

gboolean FindBar::onKey(GtkWidget*, GdkEventKey* event, gpointer data) {
  auto* self = static_cast<FindBar*>(data);
  const auto key = barKeyFor(event->keyval, static_cast<GdkModifierType>(event->state));
  if (!key) return FALSE;
  switch (*key) {
    case BarKey::Find:
    case BarKey::FindAndReplace:
      self->open(*key == BarKey::FindAndReplace);
      break;
    case BarKey::Next:
    case BarKey::Previous:
      if (!self->isOpen() || gtk_entry_get_text_length(GTK_ENTRY(self->findEntry_)) == 0) {
        self->open(gtk_widget_get_visible(self->replaceRow_));
        break;
      }
      self->search(*key == BarKey::Next ? FindStep::Next : FindStep::Previous);
      break;
  }
  return TRUE;
}

gboolean FindBar::onEntryKey(GtkWidget* entry, GdkEventKey* event, gpointer data) {
  auto* self = static_cast<FindBar*>(data);
  const guint mods = event->state & (GDK_CONTROL_MASK | GDK_SHIFT_MASK | GDK_MOD1_MASK);
  if (event->keyval == GDK_KEY_Escape && mods == 0) {
    self->close();
    return TRUE;
  }
  // Tab goes between the two fields, which have the bar's keys.
  const bool tab = event->keyval == GDK_KEY_Tab || event->keyval == GDK_KEY_ISO_Left_Tab;
  if (tab && (mods & ~GDK_SHIFT_MASK) == 0 && gtk_widget_get_visible(self->replaceEntry_)) {
    gtk_widget_grab_focus(entry == self->findEntry_ ? self->replaceEntry_ : self->findEntry_);
    return TRUE;
  }
  if (event->keyval != GDK_KEY_Return && event->keyval != GDK_KEY_KP_Enter) return FALSE;
  if (entry == self->replaceEntry_ && mods == 0) {
    self->replace(false);
  } else if (entry == self->findEntry_ && (mods == 0 || mods == GDK_SHIFT_MASK)) {
    self->search(mods == GDK_SHIFT_MASK ? FindStep::Previous : FindStep::Next);
  } else {
    return FALSE;
  }
  return TRUE;
}

void FindBar::onTyped(GtkEditable*, gpointer data) {
  auto* self = static_cast<FindBar*>(data);
  if (self->isOpen()) self->setSearching(true);
}

void FindBar::onSearchChanged(GtkSearchEntry*, gpointer data) {
  auto* self = static_cast<FindBar*>(data);
  if (self->isOpen()) self->search(FindStep::FromSelection);
}

void FindBar::onOptionToggled(GtkToggleButton*, gpointer data) {
  auto* self = static_cast<FindBar*>(data);
  if (self->isOpen()) self->search(FindStep::FromSelection);
}

void FindBar::onButton(GtkButton* button, gpointer data) {
  auto* self = static_cast<FindBar*>(data);
  const std::string name = gtk_widget_get_name(GTK_WIDGET(button));
  if (name == "findNext")
    self->search(FindStep::Next);
  else if (name == "findPrevious")
    self->search(FindStep::Previous);
  else
    self->replace(name == "replaceAll");
}

// Closed by Escape, its close button or a key of GTK's own: the marks go
// and the view has the focus, its selection on the current match.
void FindBar::onModeChanged(GObject*, GParamSpec*, gpointer data) {
  auto* self = static_cast<FindBar*>(data);
  if (self->isOpen()) return;
  self->retry_.reset();
  FindTarget* target = self->searched_ ? self->searched_ : self->activeTarget();
  if (self->searched_) self->searched_->end();
  self->searched_ = nullptr;
  self->setSearching(false);
  gtk_label_set_text(GTK_LABEL(self->count_), "");
  if (target && gtk_widget_get_mapped(target->view())) gtk_widget_grab_focus(target->view());
}

void FindBar::onSwitchPage(GtkNotebook*, GtkWidget*, guint, gpointer data) {
  auto* self = static_cast<FindBar*>(data);
  if (!self->isOpen()) return;
  // The page's views are filled by the switch; search once it has settled.
  self->searchWhenReady(200);
}

}  // namespace pellora::gtk
