// The HTML view filled while hidden and then shown on a page that grows in
// the switch (the editor's tool bar goes): the view measures its text again
// for its final size, and that leaves the text, the undo history, the change
// count and the view's own line spacing as they were.
#include <gtksourceview/gtksource.h>

#include <memory>
#include <string>

#include "platform/gtk/gtk_fixture.h"
#include "platform/gtk/source_view.h"

namespace pellora::gtk::test {
namespace {

void settle() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

std::string wholeText(GtkTextBuffer* buffer) {
  GtkTextIter a, b;
  gtk_text_buffer_get_bounds(buffer, &a, &b);
  gchar* raw = gtk_text_buffer_get_text(buffer, &a, &b, TRUE);
  std::string text = raw;
  g_free(raw);
  return text;
}

class SourceViewFirstShowTest : public GtkTest {
 protected:
  void TearDown() override {
    if (window) gtk_widget_destroy(window);
    GtkTest::TearDown();
  }
  // A window with a bar above a notebook whose second page is `page`.
  GtkWidget* notebookWith(GtkWidget* page) {
    window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window), 400, 300);
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    bar = gtk_label_new("tool bar");
    gtk_widget_set_size_request(bar, -1, 80);
    GtkWidget* notebook = gtk_notebook_new();
    gtk_notebook_append_page(GTK_NOTEBOOK(notebook), gtk_label_new("visual view"), nullptr);
    gtk_notebook_append_page(GTK_NOTEBOOK(notebook), page, nullptr);
    gtk_box_pack_start(GTK_BOX(box), bar, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), notebook, TRUE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(window), box);
    gtk_widget_show_all(window);
    settle();
    return notebook;
  }
  GtkWidget* window = nullptr;
  GtkWidget* bar = nullptr;
};

TEST_F(SourceViewFirstShowTest, ShowingAGrowingPageKeepsTextHistoryAndSpacing) {
  // The model's text (Windows-1252) and the view's (UTF-8).
  std::string body, shown;
  for (int i = 0; i < 400; ++i) {
    body += "<p>Line " + std::to_string(i) + " \xE9</p>\n";
    shown += "<p>Line " + std::to_string(i) + " \xC3\xA9</p>\n";
  }
  struct Case {
    const char* name;
    bool barGoes;     // the page grows in the switch
    bool typeBefore;  // an edit while the view is still shown, before the refill
  } cases[] = {
      {"grows", true, false},
      {"same size", false, false},
      {"grows after an earlier showing with edits", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui::Control model(ui::ControlKind::SourceEditor, "mmoHTML");
    int changes = 0;
    model.onChange = [&changes] { ++changes; };
    auto owned = std::make_unique<SourceViewBinding>(model, nullptr);
    SourceViewBinding& view = *owned;
    GtkWidget* notebook = notebookWith(view.widget());
    GtkTextView* text = GTK_TEXT_VIEW(view.view());
    GtkTextBuffer* buffer = GTK_TEXT_BUFFER(view.buffer());
    const gint spacing = gtk_text_view_get_pixels_above_lines(text);
    if (c.typeBefore) {
      gtk_notebook_set_current_page(GTK_NOTEBOOK(notebook), 1);
      settle();
      gtk_text_buffer_insert_interactive_at_cursor(buffer, "x", 1, TRUE);
      gtk_notebook_set_current_page(GTK_NOTEBOOK(notebook), 0);
      settle();
      changes = 0;
    }

    // As the editor switches: the view is filled, the bar goes, the page shows.
    model.resetText(body);
    view.apply(ui::Property::Text);
    if (c.barGoes) gtk_widget_hide(bar);
    gtk_notebook_set_current_page(GTK_NOTEBOOK(notebook), 1);
    settle();

    EXPECT_TRUE(gtk_widget_get_mapped(GTK_WIDGET(text)));
    EXPECT_EQ(wholeText(buffer), shown);
    EXPECT_EQ(model.text(), body);
    EXPECT_FALSE(gtk_source_buffer_can_undo(view.buffer()));
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(gtk_text_view_get_pixels_above_lines(text), spacing);

    // Typing afterwards is an edit as ever.
    gtk_text_buffer_insert_interactive_at_cursor(buffer, "y", 1, TRUE);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(gtk_source_buffer_can_undo(view.buffer()));
    // The binding goes before the window that holds its widgets.
    owned.reset();
    gtk_widget_destroy(window);
    window = nullptr;
  }
}

}  // namespace
}  // namespace pellora::gtk::test
