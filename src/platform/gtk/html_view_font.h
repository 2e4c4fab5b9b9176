// The HTML view's font: "Courier New" 13 px (monospace where it is
// missing), scaled by the editor's zoom.
#pragma once

#include <gtksourceview/gtksource.h>

namespace pellora::gtk {

// Gives `view` its font at `scale` times the normal size. The style it adds
// for that lives as long as the view.
void setHtmlViewFontScale(GtkSourceView* view, double scale);

}  // namespace pellora::gtk
