#include "ui/form.h"

namespace pellora::ui {

void Form::closeModal(int result) {
  modalResult_ = result;
  closeRequested.emit(*this);
}

Control* PageControl::activePage() const {
  if (activePage_ < 0 || activePage_ >= static_cast<int>(children().size())) return nullptr;
  return children()[activePage_].get();
}

void PageControl::setActivePageIndex(int index) {
  if (index == activePage_) return;
  activePage_ = index;
  notify(Property::ActivePage);
}

void PageControl::selectPage(int index) {
  if (index == activePage_ || index < 0 || index >= static_cast<int>(children().size())) return;
  if (onChanging) onChanging();
  setActivePageIndex(index);
  if (onChange) onChange();
}

}  // namespace pellora::ui
