// The HTML view keeps the model's text in step edit by edit: after random
// edits of the buffer (typing, pastes, deletions, undo and redo), the
// model's text equals the whole buffer converted at once, characters outside
// Windows-1252 included, and the selection maps the same way both ways.
#include <gtksourceview/gtksource.h>

#include <random>
#include <string>
#include <vector>

#include "platform/gtk/gtk_fixture.h"
#include "platform/gtk/gtk_text.h"
#include "platform/gtk/source_view.h"

namespace pellora::gtk::test {
namespace {

class SourceViewSyncTest : public GtkTest {
 protected:
  static std::string bufferText(GtkTextBuffer* buffer, int from = 0, int to = -1) {
    GtkTextIter a, b;
    gtk_text_buffer_get_iter_at_offset(buffer, &a, from);
    if (to < 0)
      gtk_text_buffer_get_end_iter(buffer, &b);
    else
      gtk_text_buffer_get_iter_at_offset(buffer, &b, to);
    gchar* raw = gtk_text_buffer_get_text(buffer, &a, &b, TRUE);
    std::string text = raw;
    g_free(raw);
    return text;
  }
};

TEST_F(SourceViewSyncTest, RandomEditsKeepTheModelEqualToTheWholeConversion) {
  const std::vector<std::string> pieces = {"a",
                                           "<p>",
                                           "\n",
                                           "\r\n",
                                           "\xC3\xA9" /* é */,
                                           "\xE2\x82\xAC" /* € */,
                                           "\xC5\x82" /* ł */,
                                           "\xE4\xB8\xAD\xE6\x96\x87" /* 中文 */,
                                           "\xF0\x9F\x98\x80" /* emoji */,
                                           "&#322;",
                                           "text with \xC5\x82 inside\n"};
  for (unsigned seed = 1; seed <= 5; ++seed) {
    SCOPED_TRACE(seed);
    ui::Control model(ui::ControlKind::SourceEditor, "mmoHTML");
    model.resetText("<html><body>caf\xE9 \x80 &#322;</body></html>\r\n");
    int changes = 0;
    model.onChange = [&] { ++changes; };
    SourceViewBinding view(model, nullptr);
    GtkTextBuffer* buffer = GTK_TEXT_BUFFER(view.buffer());
    std::mt19937 random(seed);
    auto below = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };

    for (int edit = 0; edit < 120; ++edit) {
      const int chars = gtk_text_buffer_get_char_count(buffer);
      GtkTextIter a, b;
      switch (below(6)) {
        case 0:
        case 1: {  // typing at the caret, as a key press does
          gtk_text_buffer_get_iter_at_offset(buffer, &a, below(chars + 1));
          gtk_text_buffer_place_cursor(buffer, &a);
          const std::string& piece =
              pieces[static_cast<std::size_t>(below(static_cast<int>(pieces.size())))];
          gtk_text_buffer_insert_interactive_at_cursor(buffer, piece.data(),
                                                       static_cast<gint>(piece.size()), TRUE);
          break;
        }
        case 2: {  // a selection replaced by a paste
          gtk_text_buffer_get_iter_at_offset(buffer, &a, below(chars + 1));
          gtk_text_buffer_get_iter_at_offset(buffer, &b, below(chars + 1));
          gtk_text_buffer_select_range(buffer, &a, &b);
          gtk_text_buffer_begin_user_action(buffer);
          gtk_text_buffer_delete_selection(buffer, TRUE, TRUE);
          std::string paste;
          for (int n = below(4); n >= 0; --n)
            paste += pieces[static_cast<std::size_t>(below(static_cast<int>(pieces.size())))];
          gtk_text_buffer_insert_at_cursor(buffer, paste.data(), static_cast<gint>(paste.size()));
          gtk_text_buffer_end_user_action(buffer);
          break;
        }
        case 3: {  // a deletion
          gtk_text_buffer_get_iter_at_offset(buffer, &a, below(chars + 1));
          gtk_text_buffer_get_iter_at_offset(buffer, &b, below(chars + 1));
          gtk_text_buffer_delete(buffer, &a, &b);
          break;
        }
        case 4:
          if (gtk_source_buffer_can_undo(view.buffer())) gtk_source_buffer_undo(view.buffer());
          break;
        case 5:
          if (gtk_source_buffer_can_redo(view.buffer())) gtk_source_buffer_redo(view.buffer());
          break;
      }
      ASSERT_EQ(model.text(), fromWidgetText(bufferText(buffer))) << "edit " << edit;

      // The selection, buffer to model: offsets count the converted text.
      const int total = gtk_text_buffer_get_char_count(buffer);
      const int from = below(total + 1);
      const int to = from + below(total - from + 1);
      gtk_text_buffer_get_iter_at_offset(buffer, &a, from);
      gtk_text_buffer_get_iter_at_offset(buffer, &b, to);
      gtk_text_buffer_select_range(buffer, &a, &b);
      const auto start = static_cast<int>(fromWidgetText(bufferText(buffer, 0, from)).size());
      const auto length = static_cast<int>(fromWidgetText(bufferText(buffer, from, to)).size());
      ASSERT_EQ(model.selStart(), start);
      ASSERT_EQ(model.selLength(), length);

      // And back: the model's selection lands on the same characters.
      gtk_text_buffer_place_cursor(buffer, &a);
      model.setSelection(start, length);
      view.apply(ui::Property::Selection);
      GtkTextIter x, y;
      gtk_text_buffer_get_selection_bounds(buffer, &x, &y);
      ASSERT_EQ(gtk_text_iter_get_offset(&x), from);
      ASSERT_EQ(gtk_text_iter_get_offset(&y), to);
    }
    EXPECT_GT(changes, 0);

    // Text the model sets starts the mirror over; edits go on from there.
    model.setText("x\xE9y");
    view.apply(ui::Property::Text);
    GtkTextIter end;
    gtk_text_buffer_get_end_iter(buffer, &end);
    gtk_text_buffer_insert(buffer, &end, "\xC5\x82", -1);
    EXPECT_EQ(model.text(), "x\xE9y&#322;");
  }
}

// A model outliving its view keeps the last text the view lent it.
TEST_F(SourceViewSyncTest, TheModelKeepsTheTextWhenTheViewGoes) {
  ui::Control model(ui::ControlKind::SourceEditor, "mmoHTML");
  model.resetText("ab");
  {
    SourceViewBinding view(model, nullptr);
    GtkTextIter end;
    gtk_text_buffer_get_end_iter(GTK_TEXT_BUFFER(view.buffer()), &end);
    gtk_text_buffer_insert(GTK_TEXT_BUFFER(view.buffer()), &end, "\xE2\x82\xAC\xC5\x82", -1);
  }
  EXPECT_EQ(model.text(), "ab\x80&#322;");
}

}  // namespace
}  // namespace pellora::gtk::test
