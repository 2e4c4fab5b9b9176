// The keys of the visual view that stand for tool bar buttons: each runs as
// a click on its button, with the button's gate, down state and option.
#include <gtest/gtest.h>

#include "editor/editor_fixture.h"
#include "editor/main_form.h"

namespace pellora {
namespace {

using ShortcutsTest = test::EditorFormTest;

struct ShortcutCase {
  ui::SurfaceShortcut shortcut;
  const char* button;
  int id;
  int option;
  bool toggles;
};

const ShortcutCase kShortcuts[] = {
    {ui::SurfaceShortcut::Bold, "btnBold", 5000, 2, true},
    {ui::SurfaceShortcut::Italic, "btnItalic", 5023, 2, true},
    {ui::SurfaceShortcut::Underline, "btnUnderline", 5048, 2, true},
    {ui::SurfaceShortcut::Hyperlink, "btnLink", 5016, 1, false},
};

TEST_F(ShortcutsTest, EachKeyClicksItsButton) {
  load();
  for (const auto& row : kShortcuts) {
    SCOPED_TRACE(row.button);
    ui::Control& button = form.child(row.button);
    button.setEnabled(true);
    const bool downBefore = button.down();
    surface.executed.clear();
    surface.raiseShortcut(row.shortcut);
    ASSERT_EQ(surface.executed.size(), 1u);
    EXPECT_EQ(surface.executed[0].id, row.id);
    EXPECT_EQ(surface.executed[0].option, row.option);
    EXPECT_EQ(button.down(), row.toggles ? !downBefore : downBefore);
  }
}

TEST_F(ShortcutsTest, ADisabledOrHiddenButtonOrNoDocumentRunsNothing) {
  for (const auto& row : kShortcuts) {
    SCOPED_TRACE(row.button);
    form.child(row.button).setEnabled(true);
    surface.raiseShortcut(row.shortcut);
    EXPECT_TRUE(surface.executed.empty()) << "before the first load";
  }
  load();
  for (const auto& row : kShortcuts) {
    SCOPED_TRACE(row.button);
    ui::Control& button = form.child(row.button);
    button.setEnabled(false);
    surface.raiseShortcut(row.shortcut);
    button.setEnabled(true);
    button.setVisible(false);
    surface.raiseShortcut(row.shortcut);
    button.setVisible(true);
    EXPECT_TRUE(surface.executed.empty());
  }
}

}  // namespace
}  // namespace pellora
