// Covered by tests/platform/gtk/accessible_names_test.cpp (the pane keys),
// tests/app/zoom_journey_test.cpp and the host journeys.
#include "platform/gtk/control_view.h"

#include <memory>

#include "control/application.h"
#include "platform/gtk/callback_boundary.h"
#include "platform/gtk/editor_additions.h"
#include "platform/gtk/form_binding.h"
#include "platform/gtk/key_guide_window.h"
#include "platform/gtk/pane_keys.h"
#include "platform/gtk/surface_widget.h"
#include "platform/gtk/view_zoom.h"

namespace pellora::gtk {

namespace {

class ControlView {
 public:
  ControlView(GtkWidget* box, TMainForm& editor) : box_(box) {
    surface_ = dynamic_cast<SurfaceWidget*>(&editor.DHTMLEdit());
    FormBinding::Hooks hooks;
    hooks.visualEditor = [this](ui::Control&) { return surface_ ? surface_->widget() : nullptr; };
    binding_ = std::make_unique<FormBinding>(editor, std::move(hooks));
    gtk_box_pack_start(GTK_BOX(box_), binding_->widget(), TRUE, TRUE, 0);
    gtk_widget_show(binding_->widget());
    paneKeys_ = followPaneKeys(binding_->widget(), surface_ ? surface_->widget() : nullptr,
                               binding_->widgetFor("CoolBar"), binding_->widgetFor("PageControl"));
    zoom_ = std::make_unique<ViewZoom>(binding_->widget(), surface_ ? surface_->widget() : nullptr,
                                       settings::RegistryStore::forProcess());
    keyGuide_ =
        std::make_unique<KeyGuideKeys>(binding_->widget(), surface_ ? surface_->widget() : nullptr);
    additions_ = std::make_unique<EditorAdditions>(*binding_, surface_);
    if (surface_) connection_ = surface_->destroying.connect([this] { release(); });
  }
  ~ControlView() { release(); }

  // The editor form is going: let go of it while its controls still exist.
  void release() {
    if (!binding_) return;
    additions_.reset();
    if (surface_) {
      surface_->destroying.disconnect(connection_);
      // The surface keeps its own widget; it must not die with our tree.
      GtkWidget* visual = surface_->widget();
      paneKeys_.disconnect();
      if (GtkWidget* parent = visual ? gtk_widget_get_parent(visual) : nullptr)
        gtk_container_remove(GTK_CONTAINER(parent), visual);
    }
    keyGuide_.reset();
    zoom_.reset();
    binding_.reset();
    surface_ = nullptr;
  }

 private:
  GtkWidget* box_;
  SurfaceWidget* surface_ = nullptr;
  std::size_t connection_ = 0;
  SignalConnection paneKeys_;
  std::unique_ptr<ViewZoom> zoom_;
  std::unique_ptr<KeyGuideKeys> keyGuide_;
  std::unique_ptr<EditorAdditions> additions_;
  std::unique_ptr<FormBinding> binding_;
};

void destroyView(GtkWidget*, gpointer data) { delete static_cast<ControlView*>(data); }

}  // namespace

GtkWidget* createControlView(ui::Form& container) {
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_widget_set_name(box, container.name().c_str());
  const ui::Bounds& size = container.bounds();
  gtk_widget_set_size_request(box, size.width, size.height);
  EditorForms& forms = application();
  if (forms.MainForm) {
    // Owned by the box: it goes when the box is destroyed.
    auto* view = new ControlView(box, *forms.MainForm);
    g_signal_connect(box, "destroy", G_CALLBACK((guardedCallback<&destroyView>)), view);
  }
  return box;
}

}  // namespace pellora::gtk
