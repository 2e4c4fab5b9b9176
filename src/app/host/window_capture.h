// Writing a window as it is on screen to a PNG file, for the `screenshot`
// step and for dialogs captured before their answer.
#pragma once

#include <gtk/gtk.h>

#include <string>

namespace pellora::host {

// Waits until `window` has drawn itself anew (a step just before may have
// changed it: a page switch, a typed word), then writes it, at the
// display's scale, as a compressed PNG. On failure, false with the reason
// in `error`.
bool writeWindowPng(GtkWidget* window, const std::string& file, std::string& error);

}  // namespace pellora::host
