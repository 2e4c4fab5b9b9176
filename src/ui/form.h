// Forms: top-level windows of the widget model, and the page control whose
// page switch the editor intercepts.
#pragma once

#include <functional>
#include <string>

#include "ui/control.h"

namespace pellora::ui {

// Results of a modally shown form (the values a host framework uses).
enum ModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3 };

class Form : public Control {
 public:
  explicit Form(std::string name) : Control(ControlKind::Form, std::move(name)) {}

  // Set while the form is shown modally; a button with a modal result, or
  // `closeModal`, ends the modal loop with it.
  int modalResult() const { return modalResult_; }
  void setModalResult(int value) { modalResult_ = value; }
  void closeModal(int result);

  // Raised just before a modal showing starts (a dialog's FormShow).
  std::function<void()> onShow;
  // Raised by `closeModal`, so a view can end its loop.
  Signal<Form&> closeRequested;

 private:
  int modalResult_ = mrNone;
};

// A notebook. Switching pages by the user runs `onChanging` while the old
// page is still active, then switches, then runs `onChange`.
class PageControl : public Control {
 public:
  explicit PageControl(std::string name) : Control(ControlKind::PageControl, std::move(name)) {}

  int activePageIndex() const { return activePage_; }
  Control* activePage() const;
  // Programmatic switch: no handlers run.
  void setActivePageIndex(int index);
  // The user picks a page.
  void selectPage(int index);

  std::function<void()> onChanging;

 private:
  int activePage_ = 0;
};

}  // namespace pellora::ui
