#include "ui/message_box.h"

namespace pellora::ui {

std::string_view messageCaption(MessageKind kind) {
  switch (kind) {
    case MessageKind::Warning:
      return "Warnung";
    case MessageKind::Error:
      return "Fehler";
    case MessageKind::Information:
      return "Information";
    case MessageKind::Confirmation:
      return "Best\xE4tigung";
  }
  return {};
}

std::string_view messageButtonText(MessageButton button) {
  switch (button) {
    case MessageButton::Yes:
      return "&Ja";
    case MessageButton::No:
      return "&Nein";
    case MessageButton::OK:
      return "OK";
    case MessageButton::Cancel:
      return "Abbrechen";
    case MessageButton::Abort:
      return "&Abbrechen";
    case MessageButton::Retry:
      return "&Wiederholen";
    case MessageButton::Ignore:
      return "&Ignorieren";
    case MessageButton::All:
      return "&Alle";
    case MessageButton::NoToAll:
      return "&Alle Nein";
    case MessageButton::YesToAll:
      return "A&lle Ja";
    case MessageButton::Help:
      return "&Hilfe";
  }
  return {};
}

MessageButton MessageBoxes::ask(const Question& question) {
  std::vector<MessageButton> roles;
  for (const QuestionChoice& choice : question.choices) roles.push_back(choice.role);
  return show(MessageKind::Confirmation, question.text, roles);
}

}  // namespace pellora::ui
