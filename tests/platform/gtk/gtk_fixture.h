// The GTK platform of the tests: GTK on the test's display (xvfb-run), the
// real platform services, and a fake visual surface shown as a label, so the
// editor form can be bound without WebKit.
#pragma once

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/gtk/fake_widget_surface.h"
#include "platform/gtk/gtk_platform.h"
#include "platform/gtk/widget_search.h"
#include "support/fake_platform.h"
#include "ui/services.h"

#define GTK_SKIP() GTEST_SKIP() << "no display"

namespace pellora::gtk::test {

class GtkTest : public ::testing::Test {
 public:
  void SetUp() override {
    if (!GtkPlatform::initialise()) GTK_SKIP();
    platform_ = std::make_unique<GtkPlatform>([this] {
      auto surface = std::make_unique<FakeWidgetSurface>(gtk_label_new("visual view"));
      lastSurface = surface.get();
      return surface;
    });
    ui::setPlatform(platform_.get());
  }
  void TearDown() override {
    ui::setPlatform(nullptr);
    platform_.reset();
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
  }
  GtkPlatform& platform() { return *platform_; }

  // Runs `step` once the next nested loop (a modal dialog, a box) is
  // waiting, as a user acting on the open window would.
  static void whenShownHelper(std::function<void()> step) {
    auto* held = new std::function<void()>(std::move(step));
    g_idle_add_full(
        G_PRIORITY_LOW,
        [](gpointer data) -> gboolean {
          (*static_cast<std::function<void()>*>(data))();
          return G_SOURCE_REMOVE;
        },
        held, [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
  }

  // The visible top-level window whose widget name is `name`.
  static GtkWindow* findWindowPublic(const std::string& name) {
    GList* windows = gtk_window_list_toplevels();
    GtkWindow* found = nullptr;
    for (GList* w = windows; w; w = w->next) {
      GtkWidget* widget = GTK_WIDGET(w->data);
      if (gtk_widget_get_visible(widget) && name == gtk_widget_get_name(widget))
        found = GTK_WINDOW(widget);
    }
    g_list_free(windows);
    return found;
  }

  static GtkWidget* findWidget(GtkWidget* root, const std::string& name) {
    return gtk::findWidget(root, name);
  }

  pellora::test::FakeEditingSurface* lastSurface = nullptr;

 private:
  std::unique_ptr<GtkPlatform> platform_;
};

}  // namespace pellora::gtk::test
