// The HTML view numbers its lines, wraps a long line within its width, and
// marks the caret's line and the matching bracket visibly in both schemes.
#include <gtksourceview/gtksource.h>

#include <memory>
#include <string>

#include "platform/gtk/gtk_fixture.h"
#include "platform/gtk/html_view_theme.h"
#include "platform/gtk/line_edge_spacer.h"
#include "platform/gtk/source_view.h"

namespace pellora::gtk::test {
namespace {

using SourceViewComfortsTest = GtkTest;

TEST_F(SourceViewComfortsTest, NumbersWrapsAndMarksInBothSchemes) {
  ui::Control model(ui::ControlKind::SourceEditor, "mmoHTML");
  std::string longLine = "<p>";
  for (int i = 0; i < 40; ++i) longLine += "wort" + std::to_string(i) + " ";
  model.resetText(longLine + "</p>\n<p>kurz</p>\n");
  auto owned = std::make_unique<SourceViewBinding>(model, nullptr);
  SourceViewBinding& view = *owned;
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWidget* fixed = gtk_fixed_new();
  gtk_fixed_put(GTK_FIXED(fixed), view.widget(), 0, 0);
  gtk_container_add(GTK_CONTAINER(window), fixed);
  gtk_widget_set_size_request(view.widget(), 300, 300);
  gtk_widget_show_all(window);
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);

  GtkTextView* text = GTK_TEXT_VIEW(view.view());
  EXPECT_EQ(gtk_text_view_get_wrap_mode(text), GTK_WRAP_WORD_CHAR);
  EXPECT_GT(gtk_text_view_get_border_window_size(text, GTK_TEXT_WINDOW_LEFT), 0) << "numbers";
  GtkTextIter first;
  gtk_text_buffer_get_start_iter(GTK_TEXT_BUFFER(view.buffer()), &first);
  gint y = 0, height = 0;
  gtk_text_view_get_line_yrange(text, &first, &y, &height);
  EXPECT_GE(height, 3 * textLineHeight(text)) << "the long line takes several rows";
  GtkAdjustment* across = gtk_scrollable_get_hadjustment(GTK_SCROLLABLE(text));
  EXPECT_LE(gtk_adjustment_get_upper(across), gtk_adjustment_get_page_size(across));

  const auto background = [](GtkSourceStyleScheme* scheme, const char* name) {
    GtkSourceStyle* style = gtk_source_style_scheme_get_style(scheme, name);
    gchar* colour = nullptr;
    if (style) g_object_get(style, "background", &colour, nullptr);
    std::string result = colour ? colour : "none";
    g_free(colour);
    return result;
  };
  EXPECT_TRUE(gtk_source_view_get_highlight_current_line(view.view()));
  EXPECT_TRUE(gtk_source_buffer_get_highlight_matching_brackets(view.buffer()));
  for (GtkSourceStyleScheme* scheme : {htmlViewScheme(), htmlViewDarkScheme()}) {
    ASSERT_NE(scheme, nullptr);
    for (const char* mark : {"current-line", "line-numbers", "bracket-match"})
      EXPECT_NE(background(scheme, mark), background(scheme, "text"))
          << gtk_source_style_scheme_get_id(scheme) << " " << mark;
  }
  owned.reset();
  gtk_widget_destroy(window);
}

}  // namespace
}  // namespace pellora::gtk::test
