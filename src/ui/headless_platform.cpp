#include "ui/headless_platform.h"

#include <cstdio>

namespace pellora::ui {

namespace {

std::string asciiLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// Holds the document text; the body is what stands between the body tags.
class TextOnlySurface final : public EditingSurface, HtmlDocument {
 public:
  CommandArg ExecCommand(int, int, const CommandArg&) override { return {}; }
  int QueryStatus(int) override { return DECMDF_DISABLED; }
  std::string DocumentHTML() override { return document_; }
  void setDocumentHTML(const std::string& html) override {
    document_ = html;
    loaded_ = true;
    if (EditingSurfaceClient* listener = client()) listener->onDocumentComplete();
  }
  bool Busy() override { return false; }
  bool ShowDetails() override { return details_; }
  void setShowDetails(bool value) override { details_ = value; }
  std::string FilterSourceCode(const std::string& text) override { return text; }
  HtmlDocument* DOM() override { return loaded_ ? this : nullptr; }
  void SetContextMenu(const ContextMenuStrings&, const ContextMenuStates&) override {}

  std::string bodyInnerHTML() override {
    // Tag names in any case: the document template writes <BODY>.
    const std::string lower = asciiLower(document_);
    const auto open = lower.find("<body");
    const auto start = open == std::string::npos ? open : lower.find('>', open);
    const auto end = lower.rfind("</body>");
    if (start == std::string::npos || end == std::string::npos || end < start) return document_;
    return document_.substr(start + 1, end - start - 1);
  }
  std::string bgColor() override { return bgColor_; }
  void setBgColor(const std::string& value) override { bgColor_ = value; }
  std::vector<std::string> blockFormats() override { return {}; }

 private:
  std::string document_;
  std::string bgColor_;
  bool details_ = false;
  bool loaded_ = false;
};

}  // namespace

std::unique_ptr<EditingSurface> HeadlessPlatform::createEditingSurface() {
  return std::make_unique<TextOnlySurface>();
}

MessageButton HeadlessPlatform::show(MessageKind kind, const std::string& text,
                                     const std::vector<MessageButton>& buttons) {
  const std::string_view caption = messageCaption(kind);
  std::fprintf(stderr, "[%.*s] %s\n", static_cast<int>(caption.size()), caption.data(),
               text.c_str());
  return buttons.empty() ? MessageButton::OK : buttons.front();
}

MessageButton HeadlessPlatform::ask(const Question& question) {
  std::fprintf(stderr, "[%s] %s\n", question.title.c_str(), question.text.c_str());
  return question.choices.empty() ? MessageButton::OK : question.choices.front().role;
}

int HeadlessPlatform::showModal(Form& form) {
  if (form.onShow) form.onShow();
  return mrCancel;
}

}  // namespace pellora::ui
