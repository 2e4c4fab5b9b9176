// Covered by tests/platform/gtk/source_view_test.cpp.
#include "platform/gtk/source_view.h"

#include <glib/gstdio.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/gtk/callback_boundary.h"
#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/gtk_text.h"
#include "platform/gtk/html_view_font.h"
#include "platform/gtk/html_view_theme.h"
#include "platform/gtk/line_edge_spacer.h"
#include "platform/gtk/signal_connection.h"
#include "platform/gtk/source_view_definitions.h"

namespace pellora::gtk {

namespace {

// The language and the light scheme, from the resource bundle's copies on
// disk.
class Definitions {
 public:
  Definitions() {
    const std::string& dir = htmlViewDefinitionsFolder();
    if (dir.empty()) return;

    GtkSourceLanguageManager* languages = gtk_source_language_manager_get_default();
    const gchar* const* old = gtk_source_language_manager_get_search_path(languages);
    std::vector<std::string> paths{dir};
    for (; old && *old; ++old) paths.emplace_back(*old);
    std::vector<const gchar*> raw;
    for (const auto& p : paths) raw.push_back(p.c_str());
    raw.push_back(nullptr);
    gtk_source_language_manager_set_search_path(languages, const_cast<gchar**>(raw.data()));
    language_ = gtk_source_language_manager_get_language(languages, "pellora-html");

    GtkSourceStyleSchemeManager* schemes = gtk_source_style_scheme_manager_get_default();
    gtk_source_style_scheme_manager_prepend_search_path(schemes, dir.c_str());
    scheme_ = gtk_source_style_scheme_manager_get_scheme(schemes, "pellora");
  }
  GtkSourceLanguage* language() const { return language_; }
  GtkSourceStyleScheme* scheme() const { return scheme_; }

 private:
  GtkSourceLanguage* language_ = nullptr;
  GtkSourceStyleScheme* scheme_ = nullptr;
};

const Definitions& definitions() {
  static const Definitions instance;
  return instance;
}

}  // namespace

GtkSourceStyleScheme* htmlViewScheme() { return definitions().scheme(); }
GtkSourceLanguage* htmlViewLanguage() { return definitions().language(); }

SourceViewBinding::SourceViewBinding(ui::Control& model, std::function<void(const GdkEvent*)> popup)
    : model_(model), popup_(std::move(popup)) {
  // The view holds the buffer; this reference goes at the end of the
  // constructor.
  const GObjectPtr<GtkSourceBuffer> buffer = adopt(gtk_source_buffer_new(nullptr));
  buffer_ = buffer.get();
  // The language comes with the first text or when the view is first shown
  // (useLanguage): reading its definition is a good part of starting an
  // editor whose HTML view may never be opened.
  followDesktopTheme(buffer_);
  gtk_source_buffer_set_highlight_matching_brackets(buffer_, TRUE);

  view_ = GTK_SOURCE_VIEW(gtk_source_view_new_with_buffer(buffer_));
  gtk_source_view_set_show_line_numbers(view_, TRUE);
  gtk_source_view_set_show_line_marks(view_, FALSE);
  // The right-edge marker is never visible in this view.
  gtk_source_view_set_show_right_margin(view_, FALSE);
  gtk_source_view_set_auto_indent(view_, TRUE);
  gtk_source_view_set_insert_spaces_instead_of_tabs(view_, FALSE);
  gtk_source_view_set_indent_on_tab(view_, TRUE);
  gtk_source_view_set_smart_backspace(view_, TRUE);
  gtk_source_view_set_highlight_current_line(view_, TRUE);
  // Long lines break within the view instead of running off its right edge.
  gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(view_), GTK_WRAP_WORD_CHAR);
  gtk_text_view_set_monospace(GTK_TEXT_VIEW(view_), TRUE);

  setHtmlViewFontScale(view_, 1.0);

  scroller_ = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_container_add(GTK_CONTAINER(scroller_), GTK_WIDGET(view_));
  gtk_widget_show(GTK_WIDGET(view_));

  // Before the buffer's own handlers, while the offsets still describe the
  // text the edit applies to.
  const auto connect = [this](gpointer instance, const char* signal, GCallback handler) {
    connections_.emplace_back(instance, signal, handler, this);
  };
  connect(buffer_, "insert-text", G_CALLBACK((guardedCallback<&onInsertText>)));
  connect(buffer_, "delete-range", G_CALLBACK((guardedCallback<&onDeleteRange>)));
  connect(buffer_, "changed", G_CALLBACK((guardedCallback<&onBufferChanged>)));
  connect(buffer_, "mark-set", G_CALLBACK((guardedCallback<&onMarkSet>)));
  connect(view_, "key-press-event", G_CALLBACK((guardedCallback<&onKeyPress, TRUE>)));
  connect(view_, "button-press-event", G_CALLBACK((guardedCallback<&onButtonPress, TRUE>)));
  connect(view_, "popup-menu", G_CALLBACK((guardedCallback<&onPopupMenu, TRUE>)));
  connect(view_, "size-allocate", G_CALLBACK((guardedCallback<&onSizeAllocate>)));
  connect(view_, "map", G_CALLBACK((guardedCallback<&onMap>)));
  seenResets_ = model_.textResets();
  pullText(true);
  model_.lendText([this] { return mirror_.text(); });
}

void SourceViewBinding::onMap(GtkWidget*, gpointer data) {
  static_cast<SourceViewBinding*>(data)->useLanguage();
}

void SourceViewBinding::useLanguage() {
  if (gtk_source_buffer_get_language(buffer_)) return;
  if (GtkSourceLanguage* language = htmlViewLanguage())
    gtk_source_buffer_set_language(buffer_, language);
}

SourceViewBinding::~SourceViewBinding() {
  // The handlers go after this, with connections_.
  model_.lendText({});
}

std::string SourceViewBinding::bufferText() const {
  GtkTextIter start, end;
  gtk_text_buffer_get_bounds(GTK_TEXT_BUFFER(buffer_), &start, &end);
  GCharPtr text(gtk_text_buffer_get_text(GTK_TEXT_BUFFER(buffer_), &start, &end, TRUE));
  return text.get();
}

void SourceViewBinding::apply(ui::Property property) {
  if (following_) return;
  if (property == ui::Property::Text) {
    const bool fresh = model_.textResets() != seenResets_;
    seenResets_ = model_.textResets();
    pullText(fresh);
  }
  if (property == ui::Property::Selection) pullSelection();
}

// The model's text into the buffer: only the part that differs is replaced,
// as one user action, so undo and the caret behave as after an edit. A fresh
// text is no edit: it goes in as a not undoable action, which also empties
// the undo history.
void SourceViewBinding::pullText(bool fresh) {
  if (!model_.text().empty()) useLanguage();
  const std::string wanted = toWidgetText(model_.text());
  const std::string have = bufferText();
  // Afterwards the buffer shows the model's text, each byte one character.
  mirror_.assign(model_.text());
  if (wanted == have) {
    if (fresh) {
      gtk_source_buffer_begin_not_undoable_action(buffer_);
      gtk_source_buffer_end_not_undoable_action(buffer_);
    }
    return;
  }
  // Work in characters: both are UTF-8.
  const glong wantedChars = g_utf8_strlen(wanted.c_str(), static_cast<gssize>(wanted.size()));
  const glong haveChars = g_utf8_strlen(have.c_str(), static_cast<gssize>(have.size()));
  glong prefix = 0;
  const char* w = wanted.c_str();
  const char* h = have.c_str();
  while (prefix < wantedChars && prefix < haveChars && g_utf8_get_char(w) == g_utf8_get_char(h)) {
    w = g_utf8_next_char(w);
    h = g_utf8_next_char(h);
    ++prefix;
  }
  glong suffix = 0;
  const char* wEnd = wanted.c_str() + wanted.size();
  const char* hEnd = have.c_str() + have.size();
  while (suffix < wantedChars - prefix && suffix < haveChars - prefix) {
    const char* wp = g_utf8_prev_char(wEnd);
    const char* hp = g_utf8_prev_char(hEnd);
    if (g_utf8_get_char(wp) != g_utf8_get_char(hp)) break;
    wEnd = wp;
    hEnd = hp;
    ++suffix;
  }
  following_ = true;
  GtkTextBuffer* buffer = GTK_TEXT_BUFFER(buffer_);
  if (!gtk_widget_get_mapped(GTK_WIDGET(view_))) filledHidden_ = true;
  if (fresh)
    gtk_source_buffer_begin_not_undoable_action(buffer_);
  else
    gtk_text_buffer_begin_user_action(buffer);
  GtkTextIter from, to;
  gtk_text_buffer_get_iter_at_offset(buffer, &from, static_cast<gint>(prefix));
  gtk_text_buffer_get_iter_at_offset(buffer, &to, static_cast<gint>(haveChars - suffix));
  gtk_text_buffer_delete(buffer, &from, &to);
  gtk_text_buffer_insert(buffer, &from, w, static_cast<gint>(wEnd - w));
  if (fresh)
    gtk_source_buffer_end_not_undoable_action(buffer_);
  else
    gtk_text_buffer_end_user_action(buffer);
  following_ = false;
}

void SourceViewBinding::pullSelection() {
  GtkTextBuffer* buffer = GTK_TEXT_BUFFER(buffer_);
  const gint chars = gtk_text_buffer_get_char_count(buffer);
  const auto charAt = [this, chars](int byte) {
    return std::min(
        static_cast<gint>(mirror_.charOffset(static_cast<std::size_t>(std::max(byte, 0)))), chars);
  };
  const gint start = charAt(model_.selStart());
  const gint end = std::max(charAt(model_.selStart() + model_.selLength()), start);
  GtkTextIter a, b;
  gtk_text_buffer_get_iter_at_offset(buffer, &a, start);
  gtk_text_buffer_get_iter_at_offset(buffer, &b, end);
  following_ = true;
  gtk_text_buffer_select_range(buffer, &b, &a);
  following_ = false;
}

void SourceViewBinding::pushChange() {
  following_ = true;
  model_.lentTextChanged();
  following_ = false;
  pushSelection();
  if (model_.onChange) model_.onChange();
}

void SourceViewBinding::pushSelection() {
  GtkTextIter a, b;
  gtk_text_buffer_get_selection_bounds(GTK_TEXT_BUFFER(buffer_), &a, &b);
  const auto byteAt = [this](const GtkTextIter& at) {
    return static_cast<int>(
        mirror_.byteOffset(static_cast<std::size_t>(gtk_text_iter_get_offset(&at))));
  };
  const int start = byteAt(a);
  following_ = true;
  model_.setSelection(start, byteAt(b) - start);
  following_ = false;
}

void SourceViewBinding::onInsertText(GtkTextBuffer*, GtkTextIter* at, gchar* text, gint length,
                                     gpointer data) {
  auto* self = static_cast<SourceViewBinding*>(data);
  if (self->following_) return;
  const auto offset = static_cast<std::size_t>(gtk_text_iter_get_offset(at));
  self->mirror_.replace(
      offset, offset,
      std::string_view(text, length < 0 ? std::strlen(text) : static_cast<std::size_t>(length)));
}

void SourceViewBinding::onDeleteRange(GtkTextBuffer*, GtkTextIter* from, GtkTextIter* to,
                                      gpointer data) {
  auto* self = static_cast<SourceViewBinding*>(data);
  if (self->following_) return;
  const auto a = static_cast<std::size_t>(gtk_text_iter_get_offset(from));
  const auto b = static_cast<std::size_t>(gtk_text_iter_get_offset(to));
  self->mirror_.replace(std::min(a, b), std::max(a, b), {});
}

void SourceViewBinding::onBufferChanged(GtkTextBuffer*, gpointer data) {
  auto* self = static_cast<SourceViewBinding*>(data);
  if (self->following_) return;
  self->pushChange();
}

void SourceViewBinding::onMarkSet(GtkTextBuffer* buffer, GtkTextIter*, GtkTextMark* mark,
                                  gpointer data) {
  auto* self = static_cast<SourceViewBinding*>(data);
  if (self->following_) return;
  if (mark == gtk_text_buffer_get_insert(buffer) ||
      mark == gtk_text_buffer_get_selection_bound(buffer)) {
    self->pushSelection();
  }
}

namespace {

void deleteRange(GtkTextBuffer* buffer, GtkTextIter& from, GtkTextIter& to) {
  gtk_text_buffer_begin_user_action(buffer);
  gtk_text_buffer_delete(buffer, &from, &to);
  gtk_text_buffer_end_user_action(buffer);
}

void caret(GtkTextBuffer* buffer, GtkTextIter& at) {
  gtk_text_buffer_get_iter_at_mark(buffer, &at, gtk_text_buffer_get_insert(buffer));
}

}  // namespace

bool SourceViewBinding::handleKey(guint keyval, GdkModifierType state) {
  GtkTextBuffer* buffer = GTK_TEXT_BUFFER(buffer_);
  const GdkModifierType mods =
      static_cast<GdkModifierType>(state & (GDK_CONTROL_MASK | GDK_SHIFT_MASK | GDK_MOD1_MASK));
  const guint key = gdk_keyval_to_lower(keyval);
  const bool ctrl = mods == GDK_CONTROL_MASK;
  const bool ctrlShift = mods == (GDK_CONTROL_MASK | GDK_SHIFT_MASK);
  GtkTextIter from, to;
  if (ctrl && key == GDK_KEY_y) {
    // The whole line, its line end included.
    caret(buffer, from);
    gtk_text_iter_set_line_offset(&from, 0);
    to = from;
    if (!gtk_text_iter_forward_line(&to)) gtk_text_iter_forward_to_end(&to);
    deleteRange(buffer, from, to);
    return true;
  }
  if (ctrlShift && key == GDK_KEY_y) {
    caret(buffer, from);
    to = from;
    if (!gtk_text_iter_ends_line(&to)) gtk_text_iter_forward_to_line_end(&to);
    deleteRange(buffer, from, to);
    return true;
  }
  if (ctrl && key == GDK_KEY_t) {
    // From the caret to the start of the next word.
    caret(buffer, from);
    to = from;
    if (gtk_text_iter_inside_word(&to) && !gtk_text_iter_ends_word(&to))
      gtk_text_iter_forward_word_end(&to);
    while (!gtk_text_iter_is_end(&to) && !gtk_text_iter_starts_word(&to) &&
           g_unichar_isspace(gtk_text_iter_get_char(&to)) && !gtk_text_iter_ends_line(&to))
      gtk_text_iter_forward_char(&to);
    if (gtk_text_iter_equal(&from, &to) && !gtk_text_iter_is_end(&to))
      gtk_text_iter_forward_char(&to);
    deleteRange(buffer, from, to);
    return true;
  }
  if (ctrl && key == GDK_KEY_n) {
    // A line break after the caret; the caret stays where it is.
    caret(buffer, from);
    GtkTextMark* mark = gtk_text_buffer_create_mark(buffer, nullptr, &from, TRUE);
    gtk_text_buffer_begin_user_action(buffer);
    gtk_text_buffer_insert(buffer, &from, "\n", 1);
    gtk_text_buffer_end_user_action(buffer);
    gtk_text_buffer_get_iter_at_mark(buffer, &from, mark);
    gtk_text_buffer_place_cursor(buffer, &from);
    gtk_text_buffer_delete_mark(buffer, mark);
    return true;
  }
  if (ctrlShift && (key == GDK_KEY_i || key == GDK_KEY_u)) {
    gtk_text_buffer_get_selection_bounds(buffer, &from, &to);
    gtk_text_buffer_begin_user_action(buffer);
    if (key == GDK_KEY_i)
      gtk_source_view_indent_lines(view_, &from, &to);
    else
      gtk_source_view_unindent_lines(view_, &from, &to);
    gtk_text_buffer_end_user_action(buffer);
    return true;
  }
  if (mods == GDK_MOD1_MASK && keyval == GDK_KEY_BackSpace) {
    if (gtk_source_buffer_can_undo(buffer_)) gtk_source_buffer_undo(buffer_);
    return true;
  }
  return false;
}

gboolean SourceViewBinding::onKeyPress(GtkWidget*, GdkEventKey* event, gpointer data) {
  return static_cast<SourceViewBinding*>(data)->handleKey(
      event->keyval, static_cast<GdkModifierType>(event->state));
}

// Text put in while the view is hidden gets its first lines measured at the
// height the view had then, before the switch that shows it allocates its
// final size (the editor's page grows as the tool bar goes). The text view
// measures only that stale height and then draws the rest of the page from
// lines not measured yet, which makes it lay out every line of the text on
// each draw until the background pass is done: a 1 MB text was laid out
// twice over. Invalidating once more, while next to nothing is measured,
// makes the draw measure the visible lines at the final height first.
void SourceViewBinding::onSizeAllocate(GtkWidget* widget, GdkRectangle* allocation, gpointer data) {
  auto* self = static_cast<SourceViewBinding*>(data);
  keepBottomOffLineEnds(GTK_TEXT_VIEW(widget), allocation->height);
  const int height = allocation->height;
  const bool grew = height > self->allocatedHeight_;
  self->allocatedHeight_ = height;
  if (!self->filledHidden_ || !gtk_widget_get_mapped(widget)) return;
  self->filledHidden_ = false;
  if (!grew) return;
  GtkTextView* view = GTK_TEXT_VIEW(widget);
  const gint above = gtk_text_view_get_pixels_above_lines(view);
  gtk_text_view_set_pixels_above_lines(view, above + 1);
  gtk_text_view_set_pixels_above_lines(view, above);
}

gboolean SourceViewBinding::onButtonPress(GtkWidget*, GdkEventButton* event, gpointer data) {
  auto* self = static_cast<SourceViewBinding*>(data);
  if (event->type != GDK_BUTTON_PRESS || event->button != GDK_BUTTON_SECONDARY) return FALSE;
  if (self->popup_) self->popup_(reinterpret_cast<const GdkEvent*>(event));
  return TRUE;
}

gboolean SourceViewBinding::onPopupMenu(GtkWidget*, gpointer data) {
  auto* self = static_cast<SourceViewBinding*>(data);
  if (self->popup_) self->popup_(nullptr);
  return TRUE;
}

}  // namespace pellora::gtk
