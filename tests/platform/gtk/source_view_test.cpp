// The HTML view: its text and selection follow the model both ways, every
// edit reaches the change handler, the keys act on the buffer, the popup
// menu gets its states from the model, and the colour scheme is the
// editor's.
#include "platform/gtk/source_view.h"

#include "editor/main_form.h"
#include "platform/gtk/form_binding.h"
#include "platform/gtk/gtk_fixture.h"

namespace pellora::gtk::test {
namespace {

class SourceViewTest : public GtkTest {
 protected:
  std::string text(SourceViewBinding& view) {
    GtkTextIter a, b;
    gtk_text_buffer_get_bounds(GTK_TEXT_BUFFER(view.buffer()), &a, &b);
    gchar* raw = gtk_text_buffer_get_text(GTK_TEXT_BUFFER(view.buffer()), &a, &b, TRUE);
    std::string result = raw;
    g_free(raw);
    return result;
  }
  void caretAt(SourceViewBinding& view, int offset) {
    GtkTextIter at;
    gtk_text_buffer_get_iter_at_offset(GTK_TEXT_BUFFER(view.buffer()), &at, offset);
    gtk_text_buffer_place_cursor(GTK_TEXT_BUFFER(view.buffer()), &at);
  }
};

TEST_F(SourceViewTest, TextFollowsBothWaysAndEditsRaiseTheChange) {
  ui::Control model(ui::ControlKind::SourceEditor, "mmoHTML");
  model.setText("<p>Gr\xFC\xDF</p>");
  int changes = 0;
  model.onChange = [&] { ++changes; };
  SourceViewBinding view(model, nullptr);
  EXPECT_EQ(text(view), "<p>Gr\xC3\xBC\xC3\x9F</p>");
  EXPECT_EQ(changes, 0);

  // The model's text arrives without counting as an edit.
  model.setText("<p>neu</p>");
  view.apply(ui::Property::Text);
  EXPECT_EQ(text(view), "<p>neu</p>");
  EXPECT_EQ(changes, 0);

  GtkTextIter end;
  gtk_text_buffer_get_end_iter(GTK_TEXT_BUFFER(view.buffer()), &end);
  gtk_text_buffer_insert(GTK_TEXT_BUFFER(view.buffer()), &end, "\xC3\xA4\xC5\x82", -1);
  EXPECT_EQ(model.text(), "<p>neu</p>\xE4&#322;");
  EXPECT_EQ(changes, 1);

  // Selection: model bytes are buffer characters.
  model.setSelection(3, 3);
  view.apply(ui::Property::Selection);
  GtkTextIter a, b;
  ASSERT_TRUE(gtk_text_buffer_get_selection_bounds(GTK_TEXT_BUFFER(view.buffer()), &a, &b));
  EXPECT_EQ(gtk_text_iter_get_offset(&a), 3);
  EXPECT_EQ(gtk_text_iter_get_offset(&b), 6);
  gtk_text_buffer_select_range(GTK_TEXT_BUFFER(view.buffer()), &a, &a);
  EXPECT_EQ(model.selLength(), 0);

  // Past a character the code page lacks, the model's offsets count the
  // bytes of its reference: selecting "ł" in the buffer selects "&#322;".
  GtkTextIter l, afterL;
  gtk_text_buffer_get_iter_at_offset(GTK_TEXT_BUFFER(view.buffer()), &l, 11);
  gtk_text_buffer_get_iter_at_offset(GTK_TEXT_BUFFER(view.buffer()), &afterL, 12);
  gtk_text_buffer_select_range(GTK_TEXT_BUFFER(view.buffer()), &l, &afterL);
  EXPECT_EQ(model.text().substr(static_cast<std::size_t>(model.selStart()),
                                static_cast<std::size_t>(model.selLength())),
            "&#322;");
  model.setSelection(10, 1);  // the "\xE4" before it
  view.apply(ui::Property::Selection);
  ASSERT_TRUE(gtk_text_buffer_get_selection_bounds(GTK_TEXT_BUFFER(view.buffer()), &a, &b));
  EXPECT_EQ(gtk_text_iter_get_offset(&a), 10);
  EXPECT_EQ(gtk_text_iter_get_offset(&b), 11);
}

TEST_F(SourceViewTest, EditorKeysActOnTheBuffer) {
  struct Case {
    const char* name;
    const char* before;
    int caret;
    guint key;
    GdkModifierType mods;
    const char* after;
  };
  const auto ctrl = GDK_CONTROL_MASK;
  const auto ctrlShift = static_cast<GdkModifierType>(GDK_CONTROL_MASK | GDK_SHIFT_MASK);
  const Case cases[] = {
      {"Ctrl+Y deletes the line", "one\ntwo\nthree", 5, GDK_KEY_y, ctrl, "one\nthree"},
      {"Ctrl+Y on the last line", "one\ntwo", 5, GDK_KEY_y, ctrl, "one\n"},
      {"Ctrl+Shift+Y deletes to the line end", "one\ntwo\n", 5, GDK_KEY_Y, ctrlShift, "one\nt\n"},
      {"Ctrl+T deletes the word", "alpha beta", 0, GDK_KEY_t, ctrl, "beta"},
      {"Ctrl+N inserts a line", "ab", 1, GDK_KEY_n, ctrl, "a\nb"},
      {"Ctrl+Shift+I indents", "x\ny", 0, GDK_KEY_I, ctrlShift, "\tx\ny"},
      {"Ctrl+Shift+U unindents", "\tx\ny", 1, GDK_KEY_U, ctrlShift, "x\ny"},
  };
  for (const Case& c : cases) {
    ui::Control model(ui::ControlKind::SourceEditor, "mmoHTML");
    model.setText(c.before);
    SourceViewBinding view(model, nullptr);
    caretAt(view, c.caret);
    EXPECT_TRUE(view.handleKey(c.key, c.mods)) << c.name;
    EXPECT_EQ(text(view), c.after) << c.name;
    EXPECT_EQ(model.text(), c.after) << c.name;
  }
  ui::Control model(ui::ControlKind::SourceEditor, "mmoHTML");
  SourceViewBinding view(model, nullptr);
  EXPECT_FALSE(view.handleKey(GDK_KEY_a, static_cast<GdkModifierType>(0)));
}

TEST_F(SourceViewTest, PopupMenuTakesItsStatesFromTheEditor) {
  TMainForm form;
  FormBinding binding(form);
  platform().setText("");
  form.mmoHTML.setText("abc");
  form.mmoHTML.setSelection(0, 2);
  binding.popupMenu(form.MenuHtmlPopup, nullptr);
  GtkWidget* menu = binding.widgetFor("MenuHtmlPopup");
  ASSERT_TRUE(GTK_IS_MENU(menu));
  EXPECT_TRUE(gtk_widget_get_sensitive(binding.widgetFor("popHtmlCut")));
  EXPECT_FALSE(gtk_widget_get_sensitive(binding.widgetFor("popHtmlPaste")));
  EXPECT_EQ(std::string(gtk_menu_item_get_label(GTK_MENU_ITEM(binding.widgetFor("popHtmlSelAll")))),
            "Select All");
  gtk_menu_shell_deactivate(GTK_MENU_SHELL(menu));

  // Cut through the menu: the text changes through the model and the
  // clipboard holds the cut part.
  gtk_menu_item_activate(GTK_MENU_ITEM(binding.widgetFor("popHtmlCut")));
  EXPECT_EQ(form.mmoHTML.text(), "c");
  EXPECT_EQ(platform().text(), std::optional<std::string>("ab"));
  EXPECT_TRUE(form.SourceModified);
}

TEST_F(SourceViewTest, ColourSchemeIsTheEditors) {
  GtkSourceStyleScheme* scheme = htmlViewScheme();
  ASSERT_NE(scheme, nullptr);
  ASSERT_NE(htmlViewLanguage(), nullptr);
  struct Row {
    const char* style;
    const char* colour;
  };
  for (const Row& row : {Row{"html:comment", "#707070"}, Row{"html:tag", "#000080"},
                         Row{"html:attrib-name", "#000080"}, Row{"html:attrib-value", "#000080"},
                         Row{"pellora-html:server-script", "#800000"}}) {
    GtkSourceStyle* style = gtk_source_style_scheme_get_style(scheme, row.style);
    ASSERT_NE(style, nullptr) << row.style;
    gchar* foreground = nullptr;
    g_object_get(style, "foreground", &foreground, nullptr);
    EXPECT_STRCASEEQ(foreground, row.colour) << row.style;
    g_free(foreground);
  }
  for (const char* heading : {"html:h1", "html:title", "def:heading1"}) {
    GtkSourceStyle* style = gtk_source_style_scheme_get_style(scheme, heading);
    ASSERT_NE(style, nullptr) << heading;
    gboolean bold = TRUE;
    g_object_get(style, "bold", &bold, nullptr);
    EXPECT_FALSE(bold) << heading;
  }
}

}  // namespace
}  // namespace pellora::gtk::test
