// The status panel of a load stands centred over the visual editor, below
// the tool bars, on the real window.
#include <string>

#include "editor/main_form.h"
#include "exchange/editing_context.h"
#include "platform/gtk/form_binding.h"
#include "platform/gtk/gtk_fixture.h"
#include "support/http_test_server.h"

namespace pellora::gtk::test {
namespace {

class StatusPanelPlaceTest : public GtkTest {};

struct Seen {
  GtkWidget* form = nullptr;
  GtkWidget* panel = nullptr;
  GtkWidget* editor = nullptr;
  pellora::test::Gate* answer = nullptr;
  ui::Bounds panelBounds, editorBounds;
  bool measured = false;
};

ui::Bounds boundsIn(GtkWidget* root, GtkWidget* widget) {
  int x = -1, y = -1;
  gtk_widget_translate_coordinates(widget, root, 0, 0, &x, &y);
  return {x, y, gtk_widget_get_allocated_width(widget), gtk_widget_get_allocated_height(widget)};
}

// While the load waits for its answer: once the panel is on screen, where
// it stands; then the server may answer.
gboolean measureWhileLoading(gpointer data) {
  auto* seen = static_cast<Seen*>(data);
  if (!gtk_widget_get_mapped(seen->panel) || gtk_widget_get_allocated_width(seen->panel) <= 1)
    return G_SOURCE_CONTINUE;
  seen->panelBounds = boundsIn(seen->form, seen->panel);
  seen->editorBounds = boundsIn(seen->form, seen->editor);
  seen->measured = true;
  seen->answer->open();
  return G_SOURCE_REMOVE;
}

TEST_F(StatusPanelPlaceTest, TheLoadingPanelIsCentredOverTheVisualEditor) {
  resetEditingContextForTesting();
  pellora::test::Gate answer;
  pellora::test::ScriptedServer server(
      {{pellora::test::readRequest(), pellora::test::awaitGate(answer),
        pellora::test::sendBytes("HTTP/1.0 200 OK\r\n"
                                 "Content-Length: 8\r\n\r\n"
                                 "<p>x</p>"),
        pellora::test::closeConnection()}});
  editingContext().BaseUrl = server.url("/t");

  TMainForm form;
  FormBinding binding(form, {[](ui::Control&) { return gtk_label_new("surface"); }});
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_default_size(GTK_WINDOW(window), 900, 700);
  gtk_container_add(GTK_CONTAINER(window), binding.widget());
  gtk_widget_show_all(window);
  // Once the window is laid out, the model knows the page's and the
  // tool-bar band's bounds.
  GtkWidget* sheet = binding.widgetFor("TabSheet1");
  while (!gtk_widget_get_mapped(sheet) || gtk_widget_get_allocated_height(sheet) < 300)
    gtk_main_iteration_do(TRUE);
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
  GtkWidget* editor = binding.widgetFor("DHTMLEdit");
  const ui::Bounds page = boundsIn(binding.widget(), sheet);
  EXPECT_EQ(page, form.TabSheet1.bounds());
  EXPECT_EQ(gtk_widget_get_allocated_height(binding.widgetFor("CoolBar")),
            form.CoolBar.bounds().height);

  Seen seen;
  seen.form = binding.widget();
  seen.panel = binding.widgetFor("StatusPanel");
  seen.editor = editor;
  seen.answer = &answer;
  g_idle_add(measureWhileLoading, &seen);
  form.btnLoadClick();
  ASSERT_TRUE(seen.measured);
  EXPECT_FALSE(gtk_widget_get_visible(seen.panel)) << "hidden after the load";
  EXPECT_EQ(1u, server.requests().size());

  const ui::Bounds& p = seen.panelBounds;
  const ui::Bounds& e = seen.editorBounds;
  EXPECT_EQ(300, p.width);
  EXPECT_EQ(90, p.height);
  // Centred over the editor; the page's frame may stand a pixel or two
  // between the tool bars and the editor.
  EXPECT_NEAR(e.left + e.width / 2, p.left + p.width / 2, 1);
  EXPECT_NEAR(e.top + e.height / 2, p.top + p.height / 2, 3);
  // The binding owns its widgets and lets them go itself.
  gtk_container_remove(GTK_CONTAINER(window), binding.widget());
  gtk_widget_destroy(window);
}

}  // namespace
}  // namespace pellora::gtk::test
