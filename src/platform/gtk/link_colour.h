// Links in our dialogs take the theme's link colour. Where the theme's own
// stands out less than 4.5:1 from the background under it (Adwaita's dark
// variant: #3584e4 on #353535), it is moved toward the theme's text colour
// just far enough, so the link stays the theme's hue and stays readable.
#pragma once

#include <gtk/gtk.h>

namespace pellora::gtk {

// The contrast text needs against its background to be read easily.
inline constexpr double kReadableContrast = 4.5;

// The contrast ratio of two opaque colours, from 1 (alike) to 21.
double contrastRatio(const GdkRGBA& a, const GdkRGBA& b);

// `link` as it is when it stands out kReadableContrast from `background`,
// else mixed toward `text` until it does (or is `text`).
GdkRGBA readableLinkColour(const GdkRGBA& link, const GdkRGBA& text, const GdkRGBA& background);

// The colour `widget` is drawn on: the background of the nearest widget
// from it upward that paints one; white when none does.
GdkRGBA backgroundUnder(GtkWidget* widget);

// Shows `label` in the theme's link colour, made readable, now and after
// every change of the theme.
void showAsLink(GtkLabel* label);

}  // namespace pellora::gtk
