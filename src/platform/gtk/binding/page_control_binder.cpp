#include "platform/gtk/binding/binder_kinds.h"
#include "platform/gtk/callback_boundary.h"
#include "ui/form.h"

namespace pellora::gtk::binding {

namespace {

using ui::Property;

// A notebook with its tabs below; each sheet is a page named by its tab.
class PageControlBinder : public Binder {
 public:
  using Binder::Binder;

 protected:
  GtkWidget* build(BindingSite& site) override {
    GtkWidget* notebook = gtk_notebook_new();
    gtk_notebook_set_tab_pos(GTK_NOTEBOOK(notebook), GTK_POS_BOTTOM);
    gtk_widget_set_can_focus(notebook, FALSE);
    for (const auto& sheet : control().children()) {
      Binder* page = site.bind(*sheet);
      GtkWidget* label = gtk_label_new(nullptr);
      gtk_widget_set_size_request(label, 70, -1);
      gtk_notebook_append_page(GTK_NOTEBOOK(notebook), page ? page->placed() : nullptr, label);
      if (page) {
        page->setTabLabel(label);
        page->reportAllocation(site, page->placed());
      }
    }
    setWidget(notebook);
    connect(notebook, "switch-page", G_CALLBACK((guardedCallback<&onSwitchPage>)), this);
    return notebook;
  }

  void apply(Property property) override {
    Binder::apply(property);
    if (property != Property::ActivePage) return;
    auto& pages = static_cast<ui::PageControl&>(control());
    GtkNotebook* notebook = GTK_NOTEBOOK(widget());
    if (gtk_notebook_get_current_page(notebook) != pages.activePageIndex())
      gtk_notebook_set_current_page(notebook, pages.activePageIndex());
  }

 private:
  static void onSwitchPage(GtkNotebook* notebook, GtkWidget*, guint page, gpointer data) {
    auto& self = *static_cast<PageControlBinder*>(data);
    if (self.following()) return;
    auto& pages = static_cast<ui::PageControl&>(self.control());
    // The notebook shows the model's page: a switch that was refused, failed
    // or was turned back by the model does not happen.
    struct Settle {
      PageControlBinder& self;
      GtkNotebook* notebook;
      ui::PageControl& pages;
      int page;
      ~Settle() {
        self.setFollowing(false);
        if (pages.activePageIndex() != page)
          g_signal_stop_emission_by_name(notebook, "switch-page");
      }
    } settle{self, notebook, pages, static_cast<int>(page)};
    if (scriptResultAwaited()) return;
    self.setFollowing(true);
    pages.selectPage(static_cast<int>(page));
  }
};

}  // namespace

std::unique_ptr<Binder> makePageControlBinder(ui::Control& control) {
  return std::make_unique<PageControlBinder>(control);
}

}  // namespace pellora::gtk::binding
