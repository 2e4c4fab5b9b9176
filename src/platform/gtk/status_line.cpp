#include "platform/gtk/status_line.h"

#include <string>

#include "platform/gtk/callback_boundary.h"
#include "platform/gtk/find_targets.h"
#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/gtk_text.h"
#include "platform/gtk/jsc_value.h"
#include "platform/gtk/main_loop_timer.h"
#include "platform/gtk/surface_scripts.h"
#include "settings/find_texts.h"
#include "settings/lang.h"

namespace pellora::gtk {

namespace {

// The page's channel for its counts (page/find.js).
const std::string& countsChannel() {
  static const std::string channel = std::string(kMessageChannel) + "-counts";
  return channel;
}

// How long edits and caret moves rest before the line follows them.
constexpr std::chrono::milliseconds kRest{250};

char32_t charBefore(const GtkTextIter* at) {
  GtkTextIter before = *at;
  return gtk_text_iter_backward_char(&before) ? gtk_text_iter_get_char(&before) : 0;
}

long countOf(JSCValue* answer, const char* name) {
  return static_cast<long>(jsc_value_to_double(property(answer, name).get()));
}

}  // namespace

StatusLine::StatusLine(GtkWidget* visual, GtkSourceView* source, GtkWidget* pages)
    : visual_(visual), source_(source), pages_(pages) {
  line_ = gtk_label_new(nullptr);
  g_object_ref_sink(line_);
  gtk_widget_set_name(line_, kStatusLineName);
  gtk_label_set_xalign(GTK_LABEL(line_), 1);
  gtk_widget_set_margin_start(line_, 8);
  gtk_widget_set_margin_end(line_, 8);
  gtk_widget_set_margin_top(line_, 2);
  gtk_widget_set_margin_bottom(line_, 2);
  // The theme's own text colour: a dimmed label falls below a readable
  // contrast against the window's background.
  gtk_widget_show(line_);

  const auto connect = [this](gpointer instance, const char* signal, GCallback handler,
                              GConnectFlags flags = GConnectFlags(0)) {
    connections_.emplace_back(instance, signal, handler, this, flags);
  };
  if (visual_ && WEBKIT_IS_WEB_VIEW(visual_)) {
    content_ = webkit_web_view_get_user_content_manager(WEBKIT_WEB_VIEW(visual_));
    webkit_user_content_manager_register_script_message_handler_in_world(
        content_, countsChannel().c_str(), kScriptWorld);
    connect(content_, ("script-message-received::" + countsChannel()).c_str(),
            G_CALLBACK((guardedCallback<&onPageCounts>)));
    // Every change the page reports is followed by its counts.
    connect(content_, (std::string("script-message-received::") + kMessageChannel).c_str(),
            G_CALLBACK((guardedCallback<&onPageChanged>)));
  }
  if (source_) {
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(source_));
    GtkTextIter start, end;
    gtk_text_buffer_get_bounds(buffer, &start, &end);
    const GCharPtr text(gtk_text_buffer_get_text(buffer, &start, &end, TRUE));
    sourceWords_ = content::countText(text.get()).words;
    // Before the buffer's own handlers, while the iterators still show the
    // text around the edit.
    connect(buffer, "insert-text", G_CALLBACK((guardedCallback<&onInsertText>)));
    connect(buffer, "delete-range", G_CALLBACK((guardedCallback<&onDeleteRange>)));
    connect(buffer, "changed", G_CALLBACK((guardedCallback<&onSourceChanged>)));
    connect(buffer, "mark-set", G_CALLBACK((guardedCallback<&onMarkSet>)));
  }
  if (pages_)
    connect(pages_, "switch-page", G_CALLBACK((guardedCallback<&onSwitchPage>)), G_CONNECT_AFTER);
  show();
}

StatusLine::~StatusLine() {
  connections_.clear();
  update_.reset();
  if (content_)
    webkit_user_content_manager_unregister_script_message_handler_in_world(
        content_, countsChannel().c_str(), kScriptWorld);
  gtk_widget_destroy(line_);
  g_object_unref(line_);
}

bool StatusLine::sourceShowing() const {
  if (!source_) return false;
  return !visual_ || !pages_ || onCurrentPage(pages_, GTK_WIDGET(source_));
}

void StatusLine::setOwing(Owing who, bool owes) {
  owing_ = owes ? (owing_ | who) : (owing_ & ~who);
  g_object_set_data(G_OBJECT(line_), kCountingKey, GINT_TO_POINTER(owing_));
}

void StatusLine::onPageChanged(WebKitUserContentManager*, WebKitJavascriptResult*, gpointer data) {
  static_cast<StatusLine*>(data)->setOwing(kPageOwes, true);
}

void StatusLine::onPageCounts(WebKitUserContentManager*, WebKitJavascriptResult* result,
                              gpointer data) {
  auto* self = static_cast<StatusLine*>(data);
  JSCValue* answer = webkit_javascript_result_get_js_value(result);
  if (!answer || !jsc_value_is_object(answer)) return;
  self->pageCounts_.document = {countOf(answer, "words"), countOf(answer, "chars")};
  self->pageCounts_.selection = {countOf(answer, "selWords"), countOf(answer, "selChars")};
  self->pageCounted_ = true;
  self->setOwing(kPageOwes, false);
  self->show();
}

void StatusLine::onInsertText(GtkTextBuffer*, GtkTextIter* at, gchar* text, gint length,
                              gpointer data) {
  auto* self = static_cast<StatusLine*>(data);
  const std::string_view inserted = length < 0
                                        ? std::string_view(text)
                                        : std::string_view(text, static_cast<std::size_t>(length));
  self->sourceWords_ += content::wordsGained(charBefore(at), inserted, gtk_text_iter_get_char(at));
}

void StatusLine::onDeleteRange(GtkTextBuffer*, GtkTextIter* from, GtkTextIter* to, gpointer data) {
  auto* self = static_cast<StatusLine*>(data);
  GtkTextIter a = *from, b = *to;
  gtk_text_iter_order(&a, &b);
  const GCharPtr deleted(gtk_text_iter_get_text(&a, &b));
  self->sourceWords_ -=
      content::wordsGained(charBefore(&a), deleted.get(), gtk_text_iter_get_char(&b));
}

void StatusLine::onSourceChanged(GtkTextBuffer*, gpointer data) {
  static_cast<StatusLine*>(data)->updateSoon();
}

void StatusLine::onMarkSet(GtkTextBuffer* buffer, GtkTextIter*, GtkTextMark* mark, gpointer data) {
  if (mark == gtk_text_buffer_get_insert(buffer) ||
      mark == gtk_text_buffer_get_selection_bound(buffer))
    static_cast<StatusLine*>(data)->updateSoon();
}

void StatusLine::onSwitchPage(GtkNotebook*, GtkWidget*, guint, gpointer data) {
  static_cast<StatusLine*>(data)->updateSoon();
}

void StatusLine::updateSoon() {
  setOwing(kSourceOwes, true);
  update_ = startMainLoopTimer(kRest, [this] {
    setOwing(kSourceOwes, false);
    sourceSelection_ = {-1, -1};
    GtkTextBuffer* buffer = source_ ? gtk_text_view_get_buffer(GTK_TEXT_VIEW(source_)) : nullptr;
    GtkTextIter start, end;
    if (buffer && gtk_text_buffer_get_selection_bounds(buffer, &start, &end)) {
      const GCharPtr text(gtk_text_iter_get_text(&start, &end));
      sourceSelection_ = content::countText(text.get());
    }
    show();
  });
}

void StatusLine::show() {
  ViewCounts counts;
  if (sourceShowing()) {
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(source_));
    counts.document = {sourceWords_, gtk_text_buffer_get_char_count(buffer)};
    counts.selection = sourceSelection_;
  } else if (pageCounted_) {
    counts = pageCounts_;
  } else {
    gtk_label_set_text(GTK_LABEL(line_), "");
    return;
  }
  const std::string text =
      counts.selection.words >= 0
          ? toWidgetText(fillIn(
                findText(FindText::SelectionCounts),
                {groupedNumber(counts.selection.words), groupedNumber(counts.selection.chars),
                 groupedNumber(counts.document.words), groupedNumber(counts.document.chars)}))
          : toWidgetText(fillIn(
                findText(FindText::Counts),
                {groupedNumber(counts.document.words), groupedNumber(counts.document.chars)}));
  gtk_label_set_text(GTK_LABEL(line_), text.c_str());
}

}  // namespace pellora::gtk
