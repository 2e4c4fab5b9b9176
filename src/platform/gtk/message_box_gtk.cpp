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

int GtkMessageBoxes::run(GtkWidget* dialog, const std::vector<std::string>& labels,
                         const std::vector<std::string>& names) {
  for (std::size_t i = 0; i < labels.size(); ++i) {
    GtkWidget* button =
        gtk_dialog_add_button(GTK_DIALOG(dialog), labels[i].c_str(), static_cast<int>(i));
    if (i < names.size()) gtk_widget_set_name(button, names[i].c_str());
  }
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), 0);
  const int response = gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  return response >= 0 && response < static_cast<int>(labels.size()) ? response : -1;
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
  std::vector<std::string> labels;
  for (ui::MessageButton button : shown)
    labels.push_back(mnemonicLabel(toWidgetText(ui::messageButtonText(button))));
  const int chosen = run(dialog, labels, {});
  return chosen >= 0 ? shown[static_cast<std::size_t>(chosen)] : closedAnswer(shown);
}

ui::MessageButton GtkMessageBoxes::ask(const ui::Question& question) {
  GtkWindow* parent = parent_ ? parent_() : nullptr;
  GtkWidget* dialog =
      gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION, GTK_BUTTONS_NONE, "%s",
                             toWidgetText(question.text).c_str());
  gtk_widget_set_name(dialog, "MessageBox");
  gtk_window_set_title(GTK_WINDOW(dialog), toWidgetText(question.title).c_str());
  std::vector<std::string> labels, names;
  std::vector<ui::MessageButton> roles;
  for (const ui::QuestionChoice& choice : question.choices) {
    labels.push_back(mnemonicLabel(toWidgetText(choice.caption)));
    names.push_back(choice.name);
    roles.push_back(choice.role);
  }
  if (roles.empty()) {
    labels.push_back(mnemonicLabel(toWidgetText(ui::messageButtonText(ui::MessageButton::OK))));
    roles.push_back(ui::MessageButton::OK);
  }
  const int chosen = run(dialog, labels, names);
  return chosen >= 0 ? roles[static_cast<std::size_t>(chosen)] : closedAnswer(roles);
}

}  // namespace pellora::gtk
