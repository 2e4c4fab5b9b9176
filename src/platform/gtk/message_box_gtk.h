// Message boxes as GTK message dialogs: the German caption of their kind as
// the title, the kind's icon, and the German button texts with their access
// keys; our own questions with their own title and buttons, named for
// scripts. Each box runs modally on a nested main loop until it is answered.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/message_box.h"

namespace pellora::gtk {

// "&Ja" -> "_Ja": the access-key marker GTK understands ("&&" stays "&").
std::string mnemonicLabel(std::string_view text);

class GtkMessageBoxes final : public ui::MessageBoxes {
 public:
  // `parent` gives the window the boxes stand over (may return nullptr).
  explicit GtkMessageBoxes(std::function<GtkWindow*()> parent) : parent_(std::move(parent)) {}

  ui::MessageButton show(ui::MessageKind kind, const std::string& text,
                         const std::vector<ui::MessageButton>& buttons) override;
  ui::MessageButton ask(const ui::Question& question) override;

 private:
  // Runs `dialog` (taken over) with its buttons added; gives the index of
  // the button chosen, or -1 when it was closed otherwise.
  int run(GtkWidget* dialog, const std::vector<std::string>& labels,
          const std::vector<std::string>& names);

  std::function<GtkWindow*()> parent_;
};

}  // namespace pellora::gtk
