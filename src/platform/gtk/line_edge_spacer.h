// Keeps a text view's bottom edge off the boundary between two lines.
#pragma once

#include <gtk/gtk.h>

namespace pellora::gtk {

// The height of one line of `view`'s text in its font, with its spacing.
int textLineHeight(GtkTextView* view);

// Call from the view's size-allocate handler with the height it got. While
// the highlighting of a large text is still running in the background, a
// GtkSourceView whose height is a whole number of lines redraws itself again
// and again until the highlighting is done: the line just below its bottom
// edge counts as shown, so each highlighted piece asks for another draw, and
// each draw costs about as much as highlighting a piece (a 1 MB text took a
// quarter longer to show). At such a height the view gives up its last
// pixel (a bottom margin, left blank) so the edge falls inside a line.
void keepBottomOffLineEnds(GtkTextView* view, int allocatedHeight);

}  // namespace pellora::gtk
