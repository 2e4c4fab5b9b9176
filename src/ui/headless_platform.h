// A platform for running without a display (scripted hosts, registration):
// message boxes go to stderr and take their first button, modal dialogs are
// cancelled, the clipboard lives in memory, and the editing surface holds
// the document text without rendering or editing it (every command reports
// itself disabled). The GTK platform replaces it when a display is wanted.
#pragma once

#include <optional>
#include <string>

#include "ui/services.h"

namespace pellora::ui {

class HeadlessPlatform : public Platform,
                         MessageBoxes,
                         ModalPresenter,
                         ScreenCursor,
                         Clipboard,
                         Shell,
                         MessagePump {
 public:
  MessageBoxes& messageBoxes() override { return *this; }
  ModalPresenter& modal() override { return *this; }
  ScreenCursor& cursor() override { return *this; }
  Clipboard& clipboard() override { return *this; }
  Shell& shell() override { return *this; }
  MessagePump& pump() override { return *this; }
  std::unique_ptr<EditingSurface> createEditingSurface() override;

  MessageButton show(MessageKind kind, const std::string& text,
                     const std::vector<MessageButton>& buttons) override;
  MessageButton ask(const Question& question) override;
  int showModal(Form& form) override;
  CursorShape cursor() const override { return cursor_; }
  void setCursor(CursorShape shape) override { cursor_ = shape; }
  void setText(const std::string& text) override { clipboard_ = text; }
  std::optional<std::string> text() override { return clipboard_; }
  bool open(const std::string&) override { return false; }
  void processMessages() override {}

 private:
  CursorShape cursor_ = CursorShape::Default;
  std::optional<std::string> clipboard_;
};

}  // namespace pellora::ui
