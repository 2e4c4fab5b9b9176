#include "platform/gtk/editor_additions.h"

#include "platform/gtk/webkit_surface.h"
#include "platform/gtk/widget_search.h"

namespace pellora::gtk {

namespace {

// The box the form stacks its tool bars and pages in, and the place after
// the child that holds the tool bars.
GtkWidget* formStack(GtkWidget* form, GtkWidget* bars, int& afterBars) {
  GtkWidget* stack = GTK_IS_BIN(form) ? gtk_bin_get_child(GTK_BIN(form)) : nullptr;
  if (!stack || !GTK_IS_BOX(stack)) return nullptr;
  afterBars = 0;
  GList* children = gtk_container_get_children(GTK_CONTAINER(stack));
  int index = 0;
  for (GList* child = children; child; child = child->next, ++index) {
    auto* widget = GTK_WIDGET(child->data);
    if (bars && (widget == bars || gtk_widget_is_ancestor(bars, widget))) afterBars = index + 1;
  }
  g_list_free(children);
  return stack;
}

}  // namespace

EditorAdditions::EditorAdditions(FormBinding& form, SurfaceWidget* surface) {
  int afterBars = 0;
  GtkWidget* stack = formStack(form.widget(), form.widgetFor("CoolBar"), afterBars);
  GtkWidget* pages = form.widgetFor("PageControl");
  GtkWidget* source =
      findWidgetIf(form.widget(), [](GtkWidget* w) { return GTK_SOURCE_IS_VIEW(w); });
  if (!stack || !pages || !GTK_IS_NOTEBOOK(pages)) return;
  GtkWidget* visual = surface ? surface->widget() : nullptr;

  std::unique_ptr<FindTarget> visualFind;
  if (auto* page = dynamic_cast<WebKitEditingSurface*>(surface)) {
    visualFind = std::make_unique<PageFind>(
        visual, [page](const std::string& script) { return page->runPageScript(script); });
  }
  std::unique_ptr<FindTarget> sourceFind;
  if (source) {
    sourceFind = std::make_unique<SourceFind>(GTK_SOURCE_VIEW(source), [this] {
      if (findBar_) findBar_->showCount();
    });
  }
  findBar_ = std::make_unique<FindBar>(std::move(visualFind), std::move(sourceFind), pages);
  gtk_box_pack_start(GTK_BOX(stack), findBar_->widget(), FALSE, FALSE, 0);
  gtk_box_reorder_child(GTK_BOX(stack), findBar_->widget(), afterBars);
  for (GtkWidget* keys : {form.widget(), visual, source}) findBar_->followKeys(keys);

  statusLine_ =
      std::make_unique<StatusLine>(visual, source ? GTK_SOURCE_VIEW(source) : nullptr, pages);
  gtk_box_pack_end(GTK_BOX(stack), statusLine_->widget(), FALSE, FALSE, 0);
}

}  // namespace pellora::gtk
