#include "platform/gtk/find_targets.h"

#include <cstdio>

#include "platform/gtk/callback_boundary.h"
#include "platform/gtk/surface_scripts.h"
#include "platform/gtk/webkit_surface.h"

namespace pellora::gtk {

bool onCurrentPage(GtkWidget* pages, GtkWidget* view) {
  GtkNotebook* notebook = GTK_NOTEBOOK(pages);
  GtkWidget* page = gtk_notebook_get_nth_page(notebook, gtk_notebook_get_current_page(notebook));
  return page && (view == page || gtk_widget_is_ancestor(view, page));
}

// --- the visual view ----------------------------------------------------------

bool PageFind::ready() const {
  return !scriptResultAwaited() && !g_object_get_data(G_OBJECT(view_), kBusyKey);
}

FindAnswer PageFind::call(const std::string& function, const FindQuery& query,
                          const std::string& last) {
  if (!ready()) return last_;
  const std::string answer =
      run_("(function (a) { return a.count + ' ' + a.index + ' ' + a.replaced; })(pellora." +
           function + "(" + jsString(query.text) + ", " + (query.matchCase ? "true" : "false") +
           ", " + (query.wholeWords ? "true" : "false") + ", " + last + "))");
  FindAnswer parsed;
  if (std::sscanf(answer.c_str(), "%d %d %d", &parsed.count, &parsed.index, &parsed.replaced) == 3)
    last_ = parsed;
  return last_;
}

FindAnswer PageFind::find(const FindQuery& query, FindStep step) {
  const char* direction = step == FindStep::Next ? "1" : step == FindStep::Previous ? "-1" : "0";
  return call("find", query, direction);
}

FindAnswer PageFind::replace(const FindQuery& query, const std::string& with) {
  return call("replace", query, jsString(with));
}

FindAnswer PageFind::replaceAll(const FindQuery& query, const std::string& with) {
  return call("replaceAll", query, jsString(with));
}

void PageFind::end() {
  last_ = {};
  if (ready()) run_("pellora.endFind()");
}

// --- the HTML view -------------------------------------------------------------

SourceFind::SourceFind(GtkSourceView* view, std::function<void()> counted)
    : view_(view),
      counted_(std::move(counted)),
      settings_(adopt(gtk_source_search_settings_new())),
      context_(adopt(gtk_source_search_context_new(GTK_SOURCE_BUFFER(buffer()), settings_.get()))) {
  gtk_source_search_settings_set_wrap_around(settings_.get(), TRUE);
  gtk_source_search_context_set_highlight(context_.get(), FALSE);
  countedConnection_ = SignalConnection(context_.get(), "notify::occurrences-count",
                                        G_CALLBACK((guardedCallback<&onCounted>)), this);
}

void SourceFind::onCounted(GObject*, GParamSpec*, gpointer data) {
  auto* self = static_cast<SourceFind*>(data);
  if (self->counted_) self->counted_();
}

void SourceFind::use(const FindQuery& query) {
  GtkSourceSearchSettings* settings = settings_.get();
  const gchar* now = gtk_source_search_settings_get_search_text(settings);
  const char* wanted = query.text.empty() ? nullptr : query.text.c_str();
  // Setting the same text again would count the whole source once more.
  if (g_strcmp0(now, wanted) != 0) gtk_source_search_settings_set_search_text(settings, wanted);
  if (gtk_source_search_settings_get_case_sensitive(settings) != query.matchCase)
    gtk_source_search_settings_set_case_sensitive(settings, query.matchCase);
  if (gtk_source_search_settings_get_at_word_boundaries(settings) != query.wholeWords)
    gtk_source_search_settings_set_at_word_boundaries(settings, query.wholeWords);
  gtk_source_search_context_set_highlight(context_.get(), TRUE);
}

bool SourceFind::selectionIsMatch(GtkTextIter& start, GtkTextIter& end) {
  gtk_text_buffer_get_selection_bounds(buffer(), &start, &end);
  if (gtk_text_iter_equal(&start, &end)) return false;
  GtkTextIter from = start, matchStart, matchEnd;
  return gtk_source_search_context_forward(context_.get(), &from, &matchStart, &matchEnd,
                                           nullptr) &&
         gtk_text_iter_equal(&matchStart, &start) && gtk_text_iter_equal(&matchEnd, &end);
}

void SourceFind::select(GtkTextIter& start, GtkTextIter& end) {
  gtk_text_buffer_select_range(buffer(), &start, &end);
  gtk_text_view_scroll_to_mark(GTK_TEXT_VIEW(view_), gtk_text_buffer_get_insert(buffer()), 0.1,
                               FALSE, 0, 0);
}

FindAnswer SourceFind::find(const FindQuery& query, FindStep step) {
  use(query);
  if (query.text.empty()) return {};
  GtkTextIter start, end, matchStart, matchEnd;
  gtk_text_buffer_get_selection_bounds(buffer(), &start, &end);
  const bool found = step == FindStep::Previous
                         ? gtk_source_search_context_backward(context_.get(), &start, &matchStart,
                                                              &matchEnd, nullptr)
                         : gtk_source_search_context_forward(context_.get(),
                                                             step == FindStep::Next ? &end : &start,
                                                             &matchStart, &matchEnd, nullptr);
  if (found) select(matchStart, matchEnd);
  return current();
}

FindAnswer SourceFind::current() {
  FindAnswer answer;
  answer.count = gtk_source_search_context_get_occurrences_count(context_.get());
  GtkTextIter start, end;
  gtk_text_buffer_get_selection_bounds(buffer(), &start, &end);
  const int position =
      gtk_source_search_context_get_occurrence_position(context_.get(), &start, &end);
  answer.index = position < 0 ? 0 : position;
  return answer;
}

FindAnswer SourceFind::replace(const FindQuery& query, const std::string& with) {
  use(query);
  GtkTextIter start, end;
  if (query.text.empty() || !selectionIsMatch(start, end))
    return find(query, FindStep::FromSelection);
  GError* error = nullptr;
  const bool done =
      gtk_source_search_context_replace(context_.get(), &start, &end, with.c_str(), -1, &error);
  const GErrorPtr failure(error);
  gtk_text_buffer_place_cursor(buffer(), &end);
  FindAnswer answer = find(query, FindStep::FromSelection);
  answer.replaced = done ? 1 : 0;
  return answer;
}

FindAnswer SourceFind::replaceAll(const FindQuery& query, const std::string& with) {
  use(query);
  if (query.text.empty()) return {};
  GError* error = nullptr;
  // One user action: one step of the view's undo.
  const guint replaced =
      gtk_source_search_context_replace_all(context_.get(), with.c_str(), -1, &error);
  const GErrorPtr failure(error);
  FindAnswer answer = current();
  answer.replaced = static_cast<int>(replaced);
  return answer;
}

void SourceFind::end() {
  gtk_source_search_context_set_highlight(context_.get(), FALSE);
  // Nothing to count while the bar is closed.
  gtk_source_search_settings_set_search_text(settings_.get(), nullptr);
}

}  // namespace pellora::gtk
