// The HTML view never takes a height of a whole number of lines (see
// line_edge_spacer.h): over one full line of window heights, exactly one
// needs the spacer pixel, and the view gives up no more than that pixel.
#include <gtksourceview/gtksource.h>

#include <memory>
#include <set>

#include "platform/gtk/gtk_fixture.h"
#include "platform/gtk/line_edge_spacer.h"
#include "platform/gtk/source_view.h"

namespace pellora::gtk::test {
namespace {

void settle() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

int allocatedHeight(GtkWidget* widget) {
  GtkAllocation allocation;
  gtk_widget_get_allocation(widget, &allocation);
  return allocation.height;
}

// Runs the loop until `done`; a tick callback keeps the frame clock, which
// does the layout, turning meanwhile.
template <typename Done>
void layOutUntil(GtkWidget* widget, Done done) {
  const guint ticking = gtk_widget_add_tick_callback(
      widget, [](GtkWidget*, GdkFrameClock*, gpointer) -> gboolean { return G_SOURCE_CONTINUE; },
      nullptr, nullptr);
  for (int turn = 0; turn < 600 && !done(); ++turn) g_main_context_iteration(nullptr, TRUE);
  gtk_widget_remove_tick_callback(widget, ticking);
  settle();
}

using SourceViewHeightTest = GtkTest;

TEST_F(SourceViewHeightTest, TheBottomEdgeNeverFallsBetweenTwoLines) {
  ui::Control model(ui::ControlKind::SourceEditor, "mmoHTML");
  model.resetText("<p>one</p>\n<p>two</p>\n");
  auto view = std::make_unique<SourceViewBinding>(model, nullptr);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  // A fixed container gives the view exactly the size it asks for, without
  // waiting for the window system to resize the window.
  GtkWidget* fixed = gtk_fixed_new();
  gtk_fixed_put(GTK_FIXED(fixed), view->widget(), 0, 0);
  gtk_container_add(GTK_CONTAINER(window), fixed);
  // Large enough for every height below, so the window never has to grow.
  gtk_window_set_default_size(GTK_WINDOW(window), 400, 800);
  gtk_widget_show_all(window);
  settle();
  GtkWidget* text = GTK_WIDGET(view->view());
  const int line = textLineHeight(GTK_TEXT_VIEW(text));
  ASSERT_GT(line, 1);

  std::set<int> spacedAt;
  for (int step = 0; step < line; ++step) {
    const int height = 8 * line + step;
    gtk_widget_set_size_request(view->widget(), 300, height);
    // Laid out when the view fills the scroller but for its bottom margin.
    layOutUntil(text, [&] {
      return allocatedHeight(view->widget()) == height &&
             allocatedHeight(text) + gtk_widget_get_margin_bottom(text) == height;
    });
    SCOPED_TRACE(height);
    const int available = allocatedHeight(view->widget());
    ASSERT_EQ(available, height);
    const int got = allocatedHeight(text);
    const int spacer = gtk_widget_get_margin_bottom(text);
    EXPECT_NE(got % line, 0);
    EXPECT_LE(spacer, 1);
    if (spacer > 0) spacedAt.insert(height);
  }
  EXPECT_EQ(spacedAt.size(), 1u);

  // The text is untouched by it.
  EXPECT_EQ(model.text(), "<p>one</p>\n<p>two</p>\n");
  view.reset();
  gtk_widget_destroy(window);
}

}  // namespace
}  // namespace pellora::gtk::test
