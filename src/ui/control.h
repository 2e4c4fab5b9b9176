// The retained widget model. Forms and their controls are plain objects that
// carry exactly the properties the editor logic reads and writes; a GTK
// binding (or a test) follows them through the `changed` signal and feeds
// user input back through the setters and `click()`. No rule of the system
// lives in a view: every rule runs on this model.
//
// Ownership: a control owns its children (created with `add<T>()`); a parent
// outlives its children. Pointers handed out by `add` and `find` stay valid
// for the parent's lifetime.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/signal.h"

namespace pellora::ui {

enum class ControlKind {
  Form,
  Panel,
  Label,
  Button,
  ToolBar,
  ToolButton,
  CoolBar,
  ComboBox,
  Edit,
  CheckBox,
  RadioButton,
  GroupBox,
  CheckListBox,
  ProgressBar,
  PageControl,
  TabSheet,
  SourceEditor,
  VisualEditor,
  PopupMenu,
  MenuItem,
  Image,
  Bevel,
  UpDown,
  // A notice across its parent: the caption is the message, the child
  // buttons act on it.
  InfoBar,
};

enum class ToolButtonStyle { Button, Check, Group, Separator };
enum class Align { None, Top, Bottom, Left, Right, Client };
// How a label sets its lines within its bounds.
enum class TextAlign { Left, Center, Right };

// Which property a `changed` notification is about.
enum class Property {
  Caption,
  Hint,
  Text,
  Enabled,
  Visible,
  Down,
  Checked,
  Items,
  ItemIndex,
  ItemChecked,
  Position,
  Color,
  Font,
  Bounds,
  Selection,
  ActivePage,
  Cursor,
};

// Windows colour value: 0x00BBGGRR, or a system colour with the high bit set.
using Color = std::uint32_t;
inline constexpr Color clWindow = 0x80000005;
inline constexpr Color clBtnFace = 0x8000000F;
inline constexpr Color clWindowText = 0x80000008;
inline constexpr Color clGrayText = 0x80000011;
inline constexpr Color clBlue = 0x00FF0000;
inline constexpr Color clNavy = 0x00800000;
inline constexpr Color clMaroon = 0x00000080;
inline constexpr Color clGray = 0x00808080;
inline constexpr Color clWhite = 0x00FFFFFF;

struct Bounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Bounds&) const = default;
};

struct Font {
  std::string name = "MS Sans Serif";
  int height = -11;  // negative: character height in pixels
  Color color = clWindowText;
  bool underline = false;
  bool bold = false;
  bool italic = false;
  bool operator==(const Font&) const = default;
};

class Control {
 public:
  Control(ControlKind kind, std::string name);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  ControlKind kind() const { return kind_; }
  const std::string& name() const { return name_; }
  Control* parent() const { return parent_; }
  const std::vector<std::unique_ptr<Control>>& children() const { return children_; }

  // Creates a child of type T (Control or a subclass) named `name`.
  template <typename T = Control, typename... Args>
  T& add(Args&&... args) {
    auto child = std::make_unique<T>(std::forward<Args>(args)...);
    T& ref = *child;
    adopt(std::move(child));
    return ref;
  }

  // Depth-first search of the descendants by name; nullptr when absent.
  Control* find(const std::string& name);
  // Like find, but a missing name is a programming error (throws).
  Control& child(const std::string& name);

  const std::string& caption() const { return caption_; }
  void setCaption(std::string value);
  const std::string& hint() const { return hint_; }
  void setHint(std::string value);
  const std::string& text() const;
  void setText(std::string value);
  // Source editors whose view keeps the text in step with its own edits
  // (the HTML view): the view lends the text, and it is taken from `lender`
  // only when read, so an edit costs no copy of the whole. An empty lender
  // ends the loan (the text read last stays).
  void lendText(std::function<std::string()> lender);
  // The lent text changed by an edit in the view: raises Property::Text.
  void lentTextChanged();
  // Source editors: the text as a new start, not an edit (a view drops its
  // undo history). Raises Property::Text even when the text is the same.
  void resetText(std::string value);
  // How many times resetText ran, so a view can tell a new start from an
  // edit.
  unsigned textResets() const { return textResets_; }
  bool enabled() const { return enabled_; }
  void setEnabled(bool value);
  bool visible() const { return visible_; }
  void setVisible(bool value);
  // Tool buttons: pressed state of a toggle.
  bool down() const { return down_; }
  void setDown(bool value);
  // Check boxes, radio buttons, menu items.
  bool checked() const { return checked_; }
  void setChecked(bool value);

  // List controls: combo boxes, check lists.
  const std::vector<std::string>& items() const { return items_; }
  void setItems(std::vector<std::string> value);
  void addItem(std::string value);
  void clearItems();
  int itemIndex() const { return itemIndex_; }
  void setItemIndex(int value);
  bool itemChecked(int index) const;
  void setItemChecked(int index, bool value);
  bool sorted() const { return sorted_; }
  void setSorted(bool value) { sorted_ = value; }

  // Progress bars and up-down controls.
  int position() const { return position_; }
  void setPosition(int value);
  int minimum() const { return minimum_; }
  int maximum() const { return maximum_; }
  void setRange(int minimum, int maximum);

  Color color() const { return color_; }
  void setColor(Color value);
  const Font& font() const { return font_; }
  void setFont(Font value);
  const Bounds& bounds() const { return bounds_; }
  void setBounds(Bounds value);
  Align align() const { return align_; }
  void setAlign(Align value) { align_ = value; }
  TextAlign textAlign() const { return textAlign_; }
  void setTextAlign(TextAlign value) { textAlign_ = value; }

  // Source editors: the selection as 0-based byte offset and length.
  int selStart() const { return selStart_; }
  int selLength() const { return selLength_; }
  void setSelection(int start, int length);

  ToolButtonStyle toolStyle() const { return toolStyle_; }
  void setToolStyle(ToolButtonStyle value) { toolStyle_ = value; }
  bool tabStop() const { return tabStop_; }
  void setTabStop(bool value) { tabStop_ = value; }
  int tabOrder() const { return tabOrder_; }
  void setTabOrder(int value) { tabOrder_ = value; }
  // Modal result a button gives its form when clicked (0: none).
  int modalResult() const { return modalResult_; }
  void setModalResult(int value) { modalResult_ = value; }
  // Default (Enter) and cancel (Escape) buttons of a dialog.
  bool isDefault() const { return default_; }
  void setDefault(bool value) { default_ = value; }
  bool isCancel() const { return cancel_; }
  void setCancel(bool value) { cancel_ = value; }
  // Name of the icon a view shows for this control (tool buttons).
  const std::string& icon() const { return icon_; }
  void setIcon(std::string value) { icon_ = std::move(value); }

  // Runs the click handler, as a user's click would. Clicking a toggle tool
  // button flips `down` first; a group button also releases its group.
  void click();
  std::function<void()> onClick;
  // Raised by user edits of `text` (source editors, edit fields).
  std::function<void()> onChange;

  // Every property change, whoever made it. Views follow the model here.
  Signal<Control&, Property> changed;

 protected:
  void notify(Property property);

 private:
  void adopt(std::unique_ptr<Control> child);
  void releaseGroupSiblings();

  ControlKind kind_;
  std::string name_;
  Control* parent_ = nullptr;
  std::vector<std::unique_ptr<Control>> children_;

  std::string caption_, hint_, icon_;
  // Brought up to date from the lender when read after a lent edit.
  mutable std::string text_;
  mutable bool textLent_ = false;
  std::function<std::string()> textLender_;
  bool enabled_ = true, visible_ = true, down_ = false, checked_ = false;
  bool sorted_ = false, tabStop_ = true, default_ = false, cancel_ = false;
  std::vector<std::string> items_;
  std::vector<bool> itemChecked_;
  int itemIndex_ = -1;
  int position_ = 0, minimum_ = 0, maximum_ = 100;
  Color color_ = clBtnFace;
  Font font_;
  Bounds bounds_;
  Align align_ = Align::None;
  TextAlign textAlign_ = TextAlign::Left;
  int selStart_ = 0, selLength_ = 0;
  unsigned textResets_ = 0;
  ToolButtonStyle toolStyle_ = ToolButtonStyle::Button;
  int tabOrder_ = -1;
  int modalResult_ = 0;
};

}  // namespace pellora::ui
