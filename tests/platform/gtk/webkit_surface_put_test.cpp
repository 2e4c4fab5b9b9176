// The WebKit surface's document while a put is still loading: at every step
// of the load the document is the one put, never the page shown before it
// and never a script failure of a page half replaced.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "exchange/document_template.h"
#include "exchange/editing_context.h"
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

}  // namespace
}  // namespace pellora::gtk
