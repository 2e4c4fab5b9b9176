// How the script names what a user reads on screen: captions without their
// mnemonic marks, and fields found by the label beside them.
#pragma once

#include <gtk/gtk.h>

#include <string>

namespace pellora::host {

// Whether a caption on screen reads as `wanted` ("_Ausschneiden" and
// "Ausschneiden", "URL:" and "URL" read alike).
bool sameCaption(const std::string& shown, const std::string& wanted);

// A caption as the user reads it: without its mnemonic marks.
std::string plainCaption(const std::string& caption);

// The text a user reads on `widget`: its own label, else the first label
// inside it; empty when it shows none.
std::string shownText(GtkWidget* widget);

// The field a label under `root` reading `label` stands for: the label's
// mnemonic widget, the cell beside it in a grid, else the nearest entry to
// its right on screen. nullptr when no label reads so.
GtkWidget* fieldLabelled(GtkWidget* root, const std::string& label);

}  // namespace pellora::host
