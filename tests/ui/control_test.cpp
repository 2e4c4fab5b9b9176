#include "ui/control.h"

#include <gtest/gtest.h>

#include "ui/form.h"
#include "ui/message_box.h"

namespace pellora::ui {
namespace {

TEST(ControlTest, ChangeSignalFiresOnlyOnRealChanges) {
  Control button(ControlKind::ToolButton, "btnBold");
  std::vector<Property> seen;
  button.changed.connect([&](Control&, Property p) { seen.push_back(p); });
  button.setEnabled(true);  // already enabled
  button.setEnabled(false);
  button.setHint("Bold");
  button.setHint("Bold");
  EXPECT_EQ(seen, (std::vector<Property>{Property::Enabled, Property::Hint}));
}

TEST(ControlTest, ToggleAndGroupButtons) {
  Control bar(ControlKind::ToolBar, "bar");
  auto& toggle = bar.add(ControlKind::ToolButton, "toggle");
  toggle.setToolStyle(ToolButtonStyle::Check);
  auto& sep = bar.add(ControlKind::ToolButton, "sep");
  sep.setToolStyle(ToolButtonStyle::Separator);
  Control* group[3];
  for (int i = 0; i < 3; ++i) {
    group[i] = &bar.add(ControlKind::ToolButton, "g" + std::to_string(i));
    group[i]->setToolStyle(ToolButtonStyle::Group);
  }
  int clicks = 0;
  group[1]->onClick = [&] { ++clicks; };

  toggle.click();
  EXPECT_TRUE(toggle.down());
  group[0]->click();
  group[1]->click();
  EXPECT_FALSE(group[0]->down());
  EXPECT_TRUE(group[1]->down());
  EXPECT_TRUE(toggle.down()) << "a separator ends the group";
  group[1]->click();  // all may be up
  EXPECT_FALSE(group[1]->down());
  EXPECT_EQ(clicks, 2);

  group[2]->setEnabled(false);
  group[2]->click();
  EXPECT_FALSE(group[2]->down()) << "a disabled button ignores clicks";
}

TEST(ControlTest, ListItemsAndBadIndexes) {
  Control list(ControlKind::CheckListBox, "clb");
  list.setItems({"a", "b"});
  list.setItemChecked(1, true);
  EXPECT_TRUE(list.itemChecked(1));
  EXPECT_FALSE(list.itemChecked(7));
  EXPECT_THROW(list.setItemChecked(2, true), std::out_of_range);
  list.setItemIndex(5);
  EXPECT_EQ(list.itemIndex(), -1);
  list.setItemIndex(0);
  EXPECT_EQ(list.itemIndex(), 0);
  list.clearItems();
  EXPECT_EQ(list.itemIndex(), -1);
}

TEST(ControlTest, ButtonWithModalResultClosesItsForm) {
  Form form("dialog");
  auto& panel = form.add(ControlKind::Panel, "panel");
  auto& ok = panel.add(ControlKind::Button, "ok");
  ok.setModalResult(mrOk);
  int closed = 0;
  form.closeRequested.connect([&](Form&) { ++closed; });
  ok.click();
  EXPECT_EQ(form.modalResult(), mrOk);
  EXPECT_EQ(closed, 1);
}

TEST(ControlTest, PageControlRunsChangingBeforeTheSwitch) {
  PageControl pages("PageControl");
  pages.add(ControlKind::TabSheet, "TabSheet1");
  pages.add(ControlKind::TabSheet, "TabSheet2");
  std::vector<int> order;
  pages.onChanging = [&] { order.push_back(pages.activePageIndex()); };
  pages.onChange = [&] { order.push_back(pages.activePageIndex()); };
  pages.selectPage(1);
  pages.selectPage(1);
  pages.selectPage(9);
  EXPECT_EQ(order, (std::vector<int>{0, 1}));
  EXPECT_EQ(pages.activePage()->name(), "TabSheet2");
}

TEST(MessageBoxTest, CaptionsAndButtonsAreGerman) {
  EXPECT_EQ(messageCaption(MessageKind::Warning), "Warnung");
  EXPECT_EQ(messageCaption(MessageKind::Confirmation), "Best\xE4tigung");
  EXPECT_EQ(messageButtonText(MessageButton::Abort), "&Abbrechen");
  EXPECT_EQ(messageButtonText(MessageButton::Cancel), "Abbrechen");
  EXPECT_EQ(messageButtonText(MessageButton::YesToAll), "A&lle Ja");
}

}  // namespace
}  // namespace pellora::ui
