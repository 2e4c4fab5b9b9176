#include "ui/control.h"

#include <stdexcept>

#include "ui/form.h"

namespace pellora::ui {

Control::Control(ControlKind kind, std::string name) : kind_(kind), name_(std::move(name)) {}

Control::~Control() = default;

void Control::adopt(std::unique_ptr<Control> child) {
  child->parent_ = this;
  children_.push_back(std::move(child));
}

Control* Control::find(const std::string& name) {
  for (auto& child : children_) {
    if (child->name() == name) return child.get();
    if (Control* found = child->find(name)) return found;
  }
  return nullptr;
}

Control& Control::child(const std::string& name) {
  Control* found = find(name);
  if (!found) throw std::logic_error("no control named " + name + " in " + name_);
  return *found;
}

void Control::notify(Property property) { changed.emit(*this, property); }

// Each setter notifies only on a real change, so views that echo a value back
// into the model cannot start a loop.
#define PELLORA_SET(member, value, property) \
  do {                                       \
    if (member == value) return;             \
    member = std::move(value);               \
    notify(property);                        \
  } while (false)

void Control::setCaption(std::string value) { PELLORA_SET(caption_, value, Property::Caption); }
void Control::setHint(std::string value) { PELLORA_SET(hint_, value, Property::Hint); }
const std::string& Control::text() const {
  if (textLent_) {
    textLent_ = false;
    text_ = textLender_();
  }
  return text_;
}

void Control::setText(std::string value) {
  if (text() == value) return;
  textLent_ = false;
  text_ = std::move(value);
  notify(Property::Text);
}

void Control::lendText(std::function<std::string()> lender) {
  if (!lender) text();
  textLent_ = false;
  textLender_ = std::move(lender);
}

void Control::lentTextChanged() {
  textLent_ = static_cast<bool>(textLender_);
  notify(Property::Text);
}
void Control::setEnabled(bool value) { PELLORA_SET(enabled_, value, Property::Enabled); }
void Control::setVisible(bool value) { PELLORA_SET(visible_, value, Property::Visible); }
void Control::setDown(bool value) { PELLORA_SET(down_, value, Property::Down); }
void Control::setChecked(bool value) { PELLORA_SET(checked_, value, Property::Checked); }
void Control::setPosition(int value) { PELLORA_SET(position_, value, Property::Position); }
void Control::setColor(Color value) { PELLORA_SET(color_, value, Property::Color); }
void Control::setFont(Font value) { PELLORA_SET(font_, value, Property::Font); }
void Control::setBounds(Bounds value) { PELLORA_SET(bounds_, value, Property::Bounds); }

#undef PELLORA_SET

void Control::resetText(std::string value) {
  ++textResets_;
  textLent_ = false;
  text_ = std::move(value);
  notify(Property::Text);
}

void Control::setItems(std::vector<std::string> value) {
  items_ = std::move(value);
  itemChecked_.assign(items_.size(), false);
  itemIndex_ = -1;
  notify(Property::Items);
}

void Control::addItem(std::string value) {
  items_.push_back(std::move(value));
  itemChecked_.push_back(false);
  notify(Property::Items);
}

void Control::clearItems() {
  if (items_.empty() && itemIndex_ == -1) return;
  items_.clear();
  itemChecked_.clear();
  itemIndex_ = -1;
  notify(Property::Items);
}

void Control::setItemIndex(int value) {
  if (value < -1 || value >= static_cast<int>(items_.size())) value = -1;
  if (value == itemIndex_) return;
  itemIndex_ = value;
  notify(Property::ItemIndex);
}

bool Control::itemChecked(int index) const {
  return index >= 0 && index < static_cast<int>(itemChecked_.size()) && itemChecked_[index];
}

void Control::setItemChecked(int index, bool value) {
  if (index < 0 || index >= static_cast<int>(itemChecked_.size())) {
    throw std::out_of_range("list index out of bounds (" + std::to_string(index) + ")");
  }
  if (itemChecked_[index] == value) return;
  itemChecked_[index] = value;
  notify(Property::ItemChecked);
}

void Control::setRange(int minimum, int maximum) {
  minimum_ = minimum;
  maximum_ = maximum;
}

void Control::setSelection(int start, int length) {
  if (start == selStart_ && length == selLength_) return;
  selStart_ = start;
  selLength_ = length;
  notify(Property::Selection);
}

void Control::releaseGroupSiblings() {
  if (!parent_) return;
  // A group is the run of adjacent group buttons around this one.
  auto& siblings = parent_->children_;
  std::size_t self = 0;
  while (siblings[self].get() != this) ++self;
  auto isGroup = [&](std::size_t i) {
    return siblings[i]->kind_ == ControlKind::ToolButton &&
           siblings[i]->toolStyle_ == ToolButtonStyle::Group;
  };
  for (std::size_t i = self; i-- > 0 && isGroup(i);) siblings[i]->setDown(false);
  for (std::size_t i = self + 1; i < siblings.size() && isGroup(i); ++i)
    siblings[i]->setDown(false);
}

void Control::click() {
  if (!enabled_) return;
  if (kind_ == ControlKind::ToolButton) {
    if (toolStyle_ == ToolButtonStyle::Check) {
      setDown(!down_);
    } else if (toolStyle_ == ToolButtonStyle::Group) {
      // Group buttons may all be up: clicking the down one releases it.
      if (!down_) releaseGroupSiblings();
      setDown(!down_);
    }
  }
  if (onClick) onClick();
  if (modalResult_ != 0) {
    for (Control* up = parent_; up; up = up->parent_) {
      if (auto* form = dynamic_cast<Form*>(up)) {
        form->closeModal(modalResult_);
        break;
      }
    }
  }
}

}  // namespace pellora::ui
