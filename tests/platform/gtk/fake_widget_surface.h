// The fake editing surface as the GTK front end sees a surface: shown by a
// stand-in widget it keeps alive, and saying when it goes.
#pragma once

#include <gtk/gtk.h>

#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/surface_widget.h"
#include "support/fake_platform.h"

namespace pellora::gtk::test {

class FakeWidgetSurface final : public pellora::test::FakeEditingSurface, public SurfaceWidget {
 public:
  explicit FakeWidgetSurface(GtkWidget* standIn)
      : widget_(adopt(GTK_WIDGET(g_object_ref_sink(standIn)))) {}
  ~FakeWidgetSurface() override {
    setClient(nullptr);
    destroying.emit();
  }
  FakeWidgetSurface(const FakeWidgetSurface&) = delete;
  FakeWidgetSurface& operator=(const FakeWidgetSurface&) = delete;

  GtkWidget* widget() const override { return widget_.get(); }

 private:
  GObjectPtr<GtkWidget> widget_;
};

}  // namespace pellora::gtk::test
