// Message boxes. Their captions and button texts are German whatever the
// interface language; the tables live here so every platform shows the same.
// Questions the editor designs itself bring their own title and buttons in
// the interface language instead.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pellora::ui {

enum class MessageKind { Warning, Error, Information, Confirmation };

enum class MessageButton {
  Yes,
  No,
  OK,
  Cancel,
  Abort,
  Retry,
  Ignore,
  All,
  NoToAll,
  YesToAll,
  Help
};

// "Warnung", "Fehler", "Information", "Bestätigung" (Windows-1252 bytes).
std::string_view messageCaption(MessageKind kind);
// "&Ja", "&Nein", "OK", ... with "&" marking the access key.
std::string_view messageButtonText(MessageButton button);

// One button of a question: what it says and what choosing it stands for.
struct QuestionChoice {
  MessageButton role;
  std::string caption;  // "&" marks the access key
  std::string name;     // the same in every language, for scripts
};

// A question of our own. Texts are Windows-1252. The choices stand left to
// right as listed: the confirming one first (the default), the one that
// cancels last.
struct Question {
  std::string title;
  std::string text;
  std::vector<QuestionChoice> choices;
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows a modal box and returns the button the user chose. `text` is
  // Windows-1252.
  virtual MessageButton show(MessageKind kind, const std::string& text,
                             const std::vector<MessageButton>& buttons) = 0;
  // Asks `question` modally; gives the role of the choice made. Closing the
  // box by its frame answers as a Cancel (else No) choice would. A platform
  // without questions of its own shows a confirmation box of the roles.
  virtual MessageButton ask(const Question& question);

  // The combinations the editor uses.
  void warning(const std::string& text) { show(MessageKind::Warning, text, {MessageButton::OK}); }
  void information(const std::string& text) {
    show(MessageKind::Information, text, {MessageButton::OK});
  }
  void errorAbort(const std::string& text) {
    show(MessageKind::Error, text, {MessageButton::Abort});
  }
};

}  // namespace pellora::ui
