#include "platform/gtk/line_edge_spacer.h"

#include "platform/gtk/gobject_ptr.h"

namespace pellora::gtk {

int textLineHeight(GtkTextView* view) {
  const GObjectPtr<PangoLayout> layout =
      adopt(gtk_widget_create_pango_layout(GTK_WIDGET(view), "X"));
  int width = 0, height = 0;
  pango_layout_get_pixel_size(layout.get(), &width, &height);
  return height + gtk_text_view_get_pixels_above_lines(view) +
         gtk_text_view_get_pixels_below_lines(view);
}

void keepBottomOffLineEnds(GtkTextView* view, int allocatedHeight) {
  GtkWidget* widget = GTK_WIDGET(view);
  const int spacer = gtk_widget_get_margin_bottom(widget);
  // The height the view would have without the spacer.
  const int whole = allocatedHeight + spacer;
  const int line = textLineHeight(view);
  const int wanted = line > 1 && whole > 0 && whole % line == 0 ? 1 : 0;
  if (wanted != spacer) gtk_widget_set_margin_bottom(widget, wanted);
}

}  // namespace pellora::gtk
