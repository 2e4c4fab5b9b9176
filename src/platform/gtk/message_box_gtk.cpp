#include "platform/gtk/message_box_gtk.h"

#include "platform/gtk/gtk_text.h"

namespace pellora::gtk {

namespace {

GtkMessageType messageType(ui::MessageKind kind) {
  switch (kind) {
    case ui::MessageKind::Warning:
      return GTK_MESSAGE_WARNING;
    case ui::MessageKind::Error:
      return GTK_MESSAGE_ERROR;
    case ui::MessageKind::Information:
      return GTK_MESSAGE_INFO;
    case ui::MessageKind::Confirmation:
      return GTK_MESSAGE_QUESTION;
  }
  return GTK_MESSAGE_OTHER;
}

// Closing a box by its frame answers as its cancel button would; a box
// without one answers with its first button, as there is no other way out.
ui::MessageButton closedAnswer(const std::vector<ui::MessageButton>& buttons) {
  for (ui::MessageButton b :
       {ui::MessageButton::Cancel, ui::MessageButton::No, ui::MessageButton::Abort}) {
    for (ui::MessageButton present : buttons)
      if (present == b) return b;
  }
  return buttons.empty() ? ui::MessageButton::OK : buttons.front();
}

}  // namespace

std::string mnemonicLabel(std::string_view text) {
  std::string label;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '&' && i + 1 < text.size() && text[i + 1] == '&') {
      label += '&';
      ++i;
    } else if (c == '&') {
      label += '_';
    } else if (c == '_') {
      label += "__";
    } else {
      label += c;
    }
  }
  return label;
}

ui::MessageButton GtkMessageBoxes::show(ui::MessageKind kind, const std::string& text,
                                        const std::vector<ui::MessageButton>& buttons) {
  GtkWindow* parent = parent_ ? parent_() : nullptr;
  const std::string body = toWidgetText(text);
  GtkWidget* dialog = gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, messageType(kind),
                                             GTK_BUTTONS_NONE, "%s", body.c_str());
  gtk_widget_set_name(dialog, "MessageBox");
  gtk_window_set_title(GTK_WINDOW(dialog), toWidgetText(ui::messageCaption(kind)).c_str());
  const std::vector<ui::MessageButton> shown =
      buttons.empty() ? std::vector<ui::MessageButton>{ui::MessageButton::OK} : buttons;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const std::string label = mnemonicLabel(toWidgetText(ui::messageButtonText(shown[i])));
    gtk_dialog_add_button(GTK_DIALOG(dialog), label.c_str(), static_cast<int>(i));
  }
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), 0);
  const int response = gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  if (response >= 0 && response < static_cast<int>(shown.size())) return shown[response];
  return closedAnswer(shown);
}

}  // namespace pellora::gtk
