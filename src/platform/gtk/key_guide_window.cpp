#include "platform/gtk/key_guide_window.h"

#include <gtksourceview/gtksource.h>

#include <string>

#include "platform/gtk/callback_boundary.h"
#include "platform/gtk/gtk_text.h"
#include "platform/gtk/widget_search.h"
#include "settings/key_guide.h"

namespace pellora::gtk {

namespace {

std::string shown(KeyGuideText text) { return toWidgetText(keyGuideText(text)); }

GtkWidget* leftLabel(const std::string& text, const char* style = nullptr) {
  GtkWidget* label = gtk_label_new(text.c_str());
  gtk_label_set_xalign(GTK_LABEL(label), 0);
  if (style) gtk_style_context_add_class(gtk_widget_get_style_context(label), style);
  return label;
}

// One heading, then its keys beside what they do.
void addSection(GtkGrid* grid, int& row, KeyGuideView view, KeyGuideText heading) {
  GtkWidget* title = leftLabel(shown(heading), "heading");
  PangoAttrList* bold = pango_attr_list_new();
  pango_attr_list_insert(bold, pango_attr_weight_new(PANGO_WEIGHT_BOLD));
  gtk_label_set_attributes(GTK_LABEL(title), bold);
  pango_attr_list_unref(bold);
  if (row > 0) gtk_widget_set_margin_top(title, 8);
  gtk_grid_attach(grid, title, 0, row++, 2, 1);
  for (const KeyGuideEntry& entry : keyGuide()) {
    if (entry.view != view) continue;
    gtk_grid_attach(grid, leftLabel(toWidgetText(keysInForce(entry.keys))), 0, row, 1, 1);
    gtk_grid_attach(grid, leftLabel(toWidgetText(keyAction(entry))), 1, row++, 1, 1);
  }
}

gboolean onKeyPress(GtkWidget* widget, GdkEventKey* event, gpointer) {
  if (!isKeyGuideKey(event->keyval, static_cast<GdkModifierType>(event->state))) return FALSE;
  showKeyGuide(widget);
  return TRUE;
}

}  // namespace

bool isKeyGuideKey(guint keyval, GdkModifierType state) {
  const guint mods = state & (GDK_CONTROL_MASK | GDK_SHIFT_MASK | GDK_MOD1_MASK | GDK_SUPER_MASK);
  if (keyval == GDK_KEY_F1) return mods == 0;
  // "?" needs Shift on most layouts; Ctrl is what counts.
  return keyval == GDK_KEY_question && (mods & ~GDK_SHIFT_MASK) == GDK_CONTROL_MASK;
}

void showKeyGuide(GtkWidget* parent) {
  GtkWidget* top = parent ? gtk_widget_get_toplevel(parent) : nullptr;
  const std::string title = shown(KeyGuideText::Title);
  GtkWidget* dialog = GTK_WIDGET(
      g_object_new(GTK_TYPE_DIALOG, "use-header-bar", FALSE, "modal", TRUE, "destroy-with-parent",
                   TRUE, "title", title.c_str(), "transient-for",
                   GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr, "resizable", FALSE, nullptr));
  gtk_widget_set_name(dialog, "KeyGuide");
  GtkWidget* grid = gtk_grid_new();
  gtk_grid_set_row_spacing(GTK_GRID(grid), 4);
  gtk_grid_set_column_spacing(GTK_GRID(grid), 24);
  gtk_container_set_border_width(GTK_CONTAINER(grid), 12);
  int row = 0;
  addSection(GTK_GRID(grid), row, KeyGuideView::Both, KeyGuideText::BothViews);
  addSection(GTK_GRID(grid), row, KeyGuideView::Visual, KeyGuideText::VisualView);
  gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), grid, TRUE, TRUE, 0);
  const std::string close = shown(KeyGuideText::Close);
  GtkWidget* button = gtk_dialog_add_button(GTK_DIALOG(dialog), close.c_str(), GTK_RESPONSE_CLOSE);
  gtk_widget_set_name(button, "btnClose");
  gtk_widget_show_all(dialog);
  gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
}

KeyGuideKeys::KeyGuideKeys(GtkWidget* form, GtkWidget* visual) {
  const GCallback keys = G_CALLBACK((guardedCallback<&onKeyPress>));
  if (form) formKeys_ = SignalConnection(form, "key-press-event", keys, nullptr);
  // The engine and the text view take keys before their ancestors see them.
  if (visual) visualKeys_ = SignalConnection(visual, "key-press-event", keys, nullptr);
  if (GtkWidget* source = findWidgetIf(form, [](GtkWidget* w) { return GTK_SOURCE_IS_VIEW(w); }))
    sourceKeys_ = SignalConnection(source, "key-press-event", keys, nullptr);
}

}  // namespace pellora::gtk
