// The WebKit surface's document phase and call state as its users see them:
// the busy mark on the view that hosts wait on, what the surface answers
// before and while a put loads, and no notification inside a script wait.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <stdexcept>
#include <string>

#include "platform/gtk/callback_boundary.h"
#include "platform/gtk/surface_window_fixture.h"
#include "platform/gtk/webkit_surface.h"
#include "ui/editing_surface.h"

namespace pellora::gtk {
namespace {

class WebKitSurfaceStateTest : public engine_test::SurfaceWindowTest {
 protected:
  bool markedBusy() const {
    return g_object_get_data(G_OBJECT(surface_->widget()), kBusyKey) != nullptr;
  }
};

TEST_F(WebKitSurfaceStateTest, TheBusyMarkOnTheViewFollowsEveryPutUntilTheLatestCompletes) {
  // Nothing put yet: no document, nothing to run commands on.
  EXPECT_FALSE(surface_->Busy());
  EXPECT_FALSE(markedBusy());
  EXPECT_EQ(surface_->DOM(), nullptr);
  EXPECT_EQ(surface_->QueryStatus(ui::DECMD_BOLD), ui::DECMDF_DISABLED);

  // The first put: busy until its page is shown, and still no document.
  const int before = put("<p>first</p>");
  EXPECT_TRUE(surface_->Busy());
  EXPECT_TRUE(markedBusy());
  EXPECT_THROW(surface_->ExecCommand(ui::DECMD_BOLD, ui::OLECMDEXECOPT_DODEFAULT, {}),
               std::logic_error);
  awaitCompletionAfter(before);
  EXPECT_FALSE(surface_->Busy());
  EXPECT_FALSE(markedBusy());
  EXPECT_NE(surface_->DOM(), nullptr);

  // Two puts in a row: marked busy throughout, one completion for both.
  const int again = put("<p>older</p>");
  put("<p>newer</p>");
  EXPECT_TRUE(markedBusy());
  // The page shown before stays loaded: its document is there to ask.
  EXPECT_NE(surface_->DOM(), nullptr);
  engine_test::runUntil([&] { return !surface_->Busy(); });
  engine_test::drainEvents();
  EXPECT_FALSE(markedBusy());
  EXPECT_EQ(completed_, again + 1);
  EXPECT_NE(body().find("newer"), std::string::npos) << body();
}

TEST_F(WebKitSurfaceStateTest, DisplayChangesNeverReachTheEditorInsideAScriptWait) {
  load("<p>one two three</p>");
  int changes = 0;
  int insideAWait = 0;
  int failedQueries = 0;
  handlers_.displayChanged = [&] {
    ++changes;
    if (scriptResultAwaited()) ++insideAWait;
    // The editor queries states from here, which awaits a script itself.
    try {
      surface_->QueryStatus(ui::DECMD_BOLD);
    } catch (const std::exception&) {
      ++failedQueries;
    }
  };
  for (const char* word : {"one", "two", "three"}) {
    const int seen = changes;
    // Each selection makes the page post a change, which may arrive while
    // the next script's result is awaited.
    selectText(word);
    eval("document.body.offsetHeight");
    engine_test::runUntil([&] { return changes > seen; });
  }
  EXPECT_EQ(insideAWait, 0);
  EXPECT_EQ(failedQueries, 0);
}

}  // namespace
}  // namespace pellora::gtk
