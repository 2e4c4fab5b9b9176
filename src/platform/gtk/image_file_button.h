// The image dialog's file field: a button that names the chosen file and
// opens a file chooser whose title, filter and buttons speak the interface
// language. GTK's own file button draws its own texts ("(None)", "Other…")
// in the process locale, which is not the editor's.
#pragma once

#include <gtk/gtk.h>

#include <string>

namespace pellora::gtk {

struct ImageFileTexts {
  std::string none;  // what the button says before a file is chosen
  std::string chooserTitle;
  std::string filter;
  std::string open;
  std::string cancel;
};

// A button for `address` (the dialog's address field): a picked file's
// address replaces the field's text. `current` is the address the dialog
// opens with; a local file's name is shown from the start.
GtkWidget* imageFileButton(GtkWidget* address, const std::string& current, ImageFileTexts texts);

}  // namespace pellora::gtk
