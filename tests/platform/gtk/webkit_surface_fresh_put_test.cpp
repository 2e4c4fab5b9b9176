// A put that replaces another before a fresh view has shown anything, as
// when a host loads twice in a row right after creating the control: the
// newer document completes in every view. WebKit has been seen to leave
// such a view's load unfinished for good (about one view in fifty), which
// left the editor busy forever.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "exchange/document_template.h"
#include "exchange/editing_context.h"
#include "platform/gtk/webkit_surface.h"
#include "support/run_until.h"

namespace pellora::gtk {
namespace {

TEST(WebKitSurfaceFreshPutTest, ASecondPutAtOnceCompletesInEveryFreshView) {
  g_setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", FALSE);
  g_setenv("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS", "1", FALSE);
  if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
  for (int view = 0; view < 60; ++view) {
    SCOPED_TRACE(view);
    resetEditingContextForTesting();
    auto surface = std::make_unique<WebKitEditingSurface>();
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_container_add(GTK_CONTAINER(window), surface->widget());
    gtk_widget_show_all(window);
    const std::string newer = "<p>newer " + std::to_string(view) + "</p>";
    surface->setDocumentHTML(wrapInDocumentTemplate("<p>older</p>"));
    surface->setDocumentHTML(wrapInDocumentTemplate(newer));
    // A view that never completes fails here.
    ASSERT_TRUE(pellora::test::runUntil([&] { return !surface->Busy(); }));
    const std::string shown = surface->DocumentHTML();
    EXPECT_NE(shown.find(newer), std::string::npos) << shown;
    EXPECT_EQ(shown.find("older"), std::string::npos) << shown;
    gtk_widget_destroy(window);
    surface.reset();
    while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
  }
}

}  // namespace
}  // namespace pellora::gtk
