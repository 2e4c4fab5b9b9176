// The HTML view's undo history: filling the view from the editor is no
// edit, so Ctrl+Z (a real key stroke through the window) never brings back
// an earlier fill or an empty text, and undoes only what was typed since the
// view was last filled.
#include <gtest/gtest.h>

#include "editor/main_form.h"
#include "exchange/document_template.h"
#include "exchange/editing_context.h"
#include "platform/gtk/form_binding.h"
#include "platform/gtk/gtk_fixture.h"
#include "platform/gtk/key_stroke.h"
#include "platform/gtk/source_view.h"

namespace pellora::gtk::test {
namespace {

class SourceViewUndoTest : public GtkTest {
 protected:
  void SetUp() override {
    GtkTest::SetUp();
    if (IsSkipped()) return;
    resetEditingContextForTesting();
    form = std::make_unique<TMainForm>();
    binding = std::make_unique<FormBinding>(*form);
    window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_container_add(GTK_CONTAINER(window), binding->widget());
    gtk_widget_show_all(window);
    view = findWidget(binding->widget(), "mmoHTML");
    ASSERT_TRUE(GTK_SOURCE_IS_VIEW(view));
  }
  void TearDown() override {
    if (window) gtk_widget_destroy(window);
    binding.reset();
    form.reset();
    GtkTest::TearDown();
  }

  GtkSourceBuffer* buffer() {
    return GTK_SOURCE_BUFFER(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)));
  }
  std::string shown() {
    GtkTextIter a, b;
    gtk_text_buffer_get_bounds(GTK_TEXT_BUFFER(buffer()), &a, &b);
    gchar* raw = gtk_text_buffer_get_text(GTK_TEXT_BUFFER(buffer()), &a, &b, TRUE);
    std::string text = raw;
    g_free(raw);
    return text;
  }
  // The page as the user picks it: the notebook's own switch.
  void showPage(int index) {
    gtk_notebook_set_current_page(GTK_NOTEBOOK(binding->widgetFor("PageControl")), index);
  }
  // The visual view shows `body`; then the user opens the HTML view.
  void openHtmlViewOn(const std::string& body) {
    showPage(0);
    lastSurface->document = wrapInDocumentTemplate(body);
    showPage(1);
    ASSERT_EQ(shown(), body);
  }
  void pressCtrlZ() {
    ASSERT_TRUE(sendKeyStroke(view, {GDK_KEY_z, GDK_CONTROL_MASK}));
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
  }
  void type(const std::string& text) {
    gtk_text_buffer_begin_user_action(GTK_TEXT_BUFFER(buffer()));
    gtk_text_buffer_insert_interactive_at_cursor(GTK_TEXT_BUFFER(buffer()), text.data(),
                                                 static_cast<gint>(text.size()), TRUE);
    gtk_text_buffer_end_user_action(GTK_TEXT_BUFFER(buffer()));
  }

  std::unique_ptr<TMainForm> form;
  std::unique_ptr<FormBinding> binding;
  GtkWidget* window = nullptr;
  GtkWidget* view = nullptr;
};

// Each fill, whatever came before it: Ctrl+Z changes nothing and raises no
// change.
TEST_F(SourceViewUndoTest, CtrlZAfterAFillKeepsTheFilledText) {
  struct Case {
    const char* name;
    const char* before;  // filled first ("" for none), then edited or not
    bool typedBefore;
    const char* body;
  };
  const Case cases[] = {
      {"the first fill", "", false, "<p>one</p>"},
      {"a fill after another fill", "<p>one</p>", false, "<p>two</p>"},
      {"a fill after typing", "<p>one</p>", true, "<p>two</p>"},
      // The typed text went to the visual view and comes back unchanged:
      // the buffer already holds it, but its history still starts afresh.
      {"the same text after typing", "<p>one</p>", true, "<p>one</p>!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (*c.before) {
      openHtmlViewOn(c.before);
      if (c.typedBefore) {
        GtkTextIter end;
        gtk_text_buffer_get_end_iter(GTK_TEXT_BUFFER(buffer()), &end);
        gtk_text_buffer_place_cursor(GTK_TEXT_BUFFER(buffer()), &end);
        type("!");
        ASSERT_TRUE(form->SourceModified);
      }
    }
    openHtmlViewOn(c.body);
    EXPECT_FALSE(form->SourceModified);
    EXPECT_FALSE(gtk_source_buffer_can_undo(buffer()));

    pressCtrlZ();
    EXPECT_EQ(shown(), c.body);
    EXPECT_EQ(form->mmoHTML.text(), c.body);
    EXPECT_EQ(editingContext().ContentBody, c.body);
    EXPECT_FALSE(form->SourceModified) << "the undo raised a change";
  }
}

TEST_F(SourceViewUndoTest, CtrlZUndoesTheTypingBackToTheFilledText) {
  openHtmlViewOn("<p>one</p>");
  openHtmlViewOn("<p>two</p>");
  GtkTextIter end;
  gtk_text_buffer_get_end_iter(GTK_TEXT_BUFFER(buffer()), &end);
  gtk_text_buffer_place_cursor(GTK_TEXT_BUFFER(buffer()), &end);
  type("<p>typed</p>");
  EXPECT_TRUE(form->SourceModified);
  EXPECT_EQ(editingContext().ContentBody, "<p>two</p><p>typed</p>");

  pressCtrlZ();
  EXPECT_EQ(shown(), "<p>two</p>");
  EXPECT_EQ(editingContext().ContentBody, "<p>two</p>");
  // Nothing before the fill to go back to.
  pressCtrlZ();
  EXPECT_EQ(shown(), "<p>two</p>");
  EXPECT_EQ(editingContext().ContentBody, "<p>two</p>");
}

// Edits through the model (the popup menu's Cut) stay undoable.
TEST_F(SourceViewUndoTest, AMenuCutIsUndoneByCtrlZ) {
  openHtmlViewOn("<p>one</p>");
  platform().setText("");
  form->mmoHTML.setSelection(3, 3);
  form->popHtmlCutClick();
  EXPECT_EQ(shown(), "<p></p>");
  pressCtrlZ();
  EXPECT_EQ(shown(), "<p>one</p>");
  EXPECT_EQ(editingContext().ContentBody, "<p>one</p>");
}

}  // namespace
}  // namespace pellora::gtk::test
