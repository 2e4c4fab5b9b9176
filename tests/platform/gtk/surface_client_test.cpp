// Who hears the WebKit surface: the client of the moment an event fires,
// and nobody once the surface begins to go.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "platform/gtk/surface_window_fixture.h"
#include "platform/gtk/webkit_surface.h"
#include "support/surface_handlers.h"

namespace pellora::gtk {
namespace {

using engine_test::runUntil;

class SurfaceClientTest : public engine_test::SurfaceWindowTest {};

TEST_F(SurfaceClientTest, ALoadCompletesToTheClientSetWhenItFinishesNotWhenItStarted) {
  load("<p>first</p>");
  const int before = put("<p>second</p>");
  pellora::test::SurfaceHandlers later;
  int heardLater = 0;
  later.documentComplete = [&] { ++heardLater; };
  surface_->setClient(&later);
  runUntil([&] { return !surface_->Busy(); });
  EXPECT_EQ(completed_, before);
  EXPECT_EQ(heardLater, 1);
  EXPECT_NE(body().find("second"), std::string::npos) << body();

  // Cleared: the next load completes unheard.
  surface_->setClient(nullptr);
  put("<p>third</p>");
  runUntil([&] { return !surface_->Busy(); });
  EXPECT_EQ(heardLater, 1);
  EXPECT_EQ(completed_, before);
  EXPECT_NE(body().find("third"), std::string::npos) << body();
}

TEST_F(SurfaceClientTest, DestroyingIsSaidWithoutAClientAndWhileTheWidgetLives) {
  load("<p>text</p>");
  int said = 0;
  bool clientLeft = false;
  bool widgetAlive = false;
  // The owner's pointer is already cleared while the surface goes.
  WebKitEditingSurface* surface = surface_.get();
  surface->destroying.connect([&] {
    ++said;
    clientLeft = surface->client() == nullptr;
    widgetAlive = GTK_IS_WIDGET(surface->widget());
  });
  if (window_) gtk_widget_destroy(window_);
  window_ = nullptr;
  surface_.reset();
  EXPECT_EQ(said, 1);
  EXPECT_TRUE(clientLeft);
  EXPECT_TRUE(widgetAlive);
}

}  // namespace
}  // namespace pellora::gtk
