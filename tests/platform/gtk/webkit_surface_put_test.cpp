// The WebKit surface's document while a put is still loading: at every step
// of the load the document is the one put, never the page shown before it
// and never a script failure of a page half replaced.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <memory>
#include <string>

#include "exchange/document_template.h"
#include "exchange/editing_context.h"
#include "platform/gtk/surface_scripts.h"
#include "platform/gtk/surface_window_fixture.h"
#include "platform/gtk/webkit_surface.h"

namespace pellora::gtk {
namespace {

class WebKitSurfacePutTest : public engine_test::SurfaceWindowTest {
 protected:
  // Runs the main loop one event at a time until the surface is no longer
  // busy, reading the document after each; returns how many reads did not
  // answer `expected`.
  int readsWhileBusy(const std::string& expected) {
    int wrong = 0;
    while (surface_->Busy()) {
      try {
        if (surface_->DocumentHTML() != expected) ++wrong;
      } catch (const std::exception&) {
        ++wrong;
      }
      g_main_context_iteration(nullptr, TRUE);
    }
    return wrong;
  }
};

TEST_F(WebKitSurfacePutTest, TheDocumentIsThePutOneUntilItsLoadCompletes) {
  const std::string first = wrapInDocumentTemplate("<p>first page</p>");
  const std::string second = wrapInDocumentTemplate("<p>second page</p>");

  // Before any page: the put document.
  surface_->setDocumentHTML(first);
  EXPECT_EQ(readsWhileBusy(first), 0);
  EXPECT_EQ(completed_, 1);
  EXPECT_NE(surface_->DocumentHTML().find("<p>first page</p>"), std::string::npos);

  // A page on screen: the new put replaces it at once.
  surface_->setDocumentHTML(second);
  EXPECT_EQ(surface_->DocumentHTML(), second);
  EXPECT_EQ(readsWhileBusy(second), 0);
  const std::string shown = surface_->DocumentHTML();
  EXPECT_NE(shown.find("<p>second page</p>"), std::string::npos) << shown;
  EXPECT_EQ(shown.find("first page"), std::string::npos) << shown;
}

TEST_F(WebKitSurfacePutTest, APutOverALoadingPutAnswersTheLatest) {
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE(round);
    const std::string older = wrapInDocumentTemplate("<p>older " + std::to_string(round) + "</p>");
    const std::string newer = wrapInDocumentTemplate("<p>newer " + std::to_string(round) + "</p>");
    surface_->setDocumentHTML(older);
    // Let the older load get under way before it is replaced.
    for (int i = 0; i < round; ++i) g_main_context_iteration(nullptr, FALSE);
    surface_->setDocumentHTML(newer);
    EXPECT_EQ(readsWhileBusy(newer), 0);
    const std::string shown = surface_->DocumentHTML();
    EXPECT_NE(shown.find("<p>newer " + std::to_string(round) + "</p>"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("older"), std::string::npos) << shown;
  }
}

// Asking the engine for command states lays the whole document out; a page
// that reported its state while still loading held WebKit's finish back by
// that layout (a quarter of a 1 MB load). The page sends no state report
// until its load has finished, and its load completes all the same.
TEST_F(WebKitSurfacePutTest, ThePageReportsNoStateBeforeItsLoadFinishes) {
  struct Watch {
    bool finished = false;
    int reports = 0;
    int reportsBeforeFinish = 0;
  } watch;
  WebKitWebView* view = WEBKIT_WEB_VIEW(surface_->widget());
  const gulong onLoad = g_signal_connect(
      view, "load-changed", G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent event, gpointer data) {
        if (event == WEBKIT_LOAD_FINISHED) static_cast<Watch*>(data)->finished = true;
      }),
      &watch);
  WebKitUserContentManager* messages = webkit_web_view_get_user_content_manager(view);
  const gulong onMessage = g_signal_connect(
      messages, ("script-message-received::" + std::string(kMessageChannel)).c_str(),
      G_CALLBACK(+[](WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer data) {
        auto* watch = static_cast<Watch*>(data);
        JSCValue* message = webkit_javascript_result_get_js_value(result);
        const bool report =
            jsc_value_is_object(message) && jsc_value_object_has_property(message, "st");
        if (report) ++watch->reports;
        if (report && !watch->finished) ++watch->reportsBeforeFinish;
      }),
      &watch);

  std::string body;
  for (int i = 0; i < 2000; ++i) body += "<p>paragraph " + std::to_string(i) + "</p>";
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    watch.finished = false;
    load(body + std::to_string(round));
    EXPECT_NE(surface_->DocumentHTML().find("paragraph 1999</p>" + std::to_string(round)),
              std::string::npos);
  }
  EXPECT_EQ(completed_, 3);
  EXPECT_EQ(watch.reportsBeforeFinish, 0);
  // Reports do come once the page is loaded (the watch sees them).
  selectText("paragraph 5");
  engine_test::runUntil([&] { return watch.reports > 0; });
  EXPECT_EQ(watch.reportsBeforeFinish, 0);
  g_signal_handler_disconnect(messages, onMessage);
  g_signal_handler_disconnect(view, onLoad);
}

}  // namespace
}  // namespace pellora::gtk
