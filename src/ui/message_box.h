// Message boxes. Their captions and button texts are German whatever the
// interface language; the tables live here so every platform shows the same.
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

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows a modal box and returns the button the user chose. `text` is
  // Windows-1252.
  virtual MessageButton show(MessageKind kind, const std::string& text,
                             const std::vector<MessageButton>& buttons) = 0;

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
