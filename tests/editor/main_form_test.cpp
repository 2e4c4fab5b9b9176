#include "editor/main_form.h"

#include <gtest/gtest.h>

#include "editor/inserttable.h"
#include "support/fake_platform.h"

namespace pellora {
namespace {

// "name:hint:state" per tool bar child, separators as "|", so the whole
// bar reads as one line.
std::string describe(const ui::Control& bar) {
  std::string out;
  for (const auto& child : bar.children()) {
    if (!out.empty()) out += ' ';
    if (child->kind() == ui::ControlKind::ToolButton &&
        child->toolStyle() == ui::ToolButtonStyle::Separator) {
      out += '|';
      continue;
    }
    out += child->name();
    if (!child->enabled()) out += "(off)";
    if (!child->visible()) out += "(hidden)";
    if (child->toolStyle() == ui::ToolButtonStyle::Check) out += "(toggle)";
    if (child->toolStyle() == ui::ToolButtonStyle::Group) out += "(group)";
  }
  return out;
}

class MainFormTest : public ::testing::Test {
 protected:
  test::ScopedFakePlatform fake;
  TMainForm form;
};

TEST_F(MainFormTest, ToolBarsHoldTheirControlsInOrderWithStartStates) {
  EXPECT_EQ(describe(form.ToolbarClipboard),
            "btnCut(off) btnCopy(off) btnPaste(off) btnDelete | btnUndo(off) | btnLink btnImage "
            "btnTable | btnTableInsRow(off) btnTableDelRow(off) btnTableInsCol(off) "
            "btnTableDelCol(off) btnTableMergeCell(off) btnTableSplitCell(off)");
  EXPECT_EQ(describe(form.ToolbarHelp),
            "btnDetail(toggle) btnBackColor | btnOptions btnAbout btnSelAll(hidden)");
  EXPECT_EQ(describe(form.ToolbarFormat),
            "cmbStyles | btnColor | btnBold(toggle) btnItalic(toggle) btnUnderline(toggle) | "
            "btnAlLeft(group) btnAlCenter(group) btnAlRight(group) | btnListOL(toggle) "
            "btnListUL(toggle) btnIndentLeft btnIndentRight");
}

TEST_F(MainFormTest, StartsEmptyOnTheEditorPageWithHiddenHelpers) {
  EXPECT_EQ(form.PageControl.activePage()->caption(), "Editor");
  EXPECT_EQ(form.TabSheet2.caption(), "HTML");
  EXPECT_FALSE(form.StatusPanel.visible());
  EXPECT_FALSE(form.btnLoad.visible());
  EXPECT_FALSE(form.btnSave.visible());
  EXPECT_EQ(form.btnLoad.bounds(), (ui::Bounds{368, 328, 75, 25}));
  EXPECT_EQ(form.StatusProgress.maximum(), 100);
  EXPECT_EQ(form.btnUndo.hint(), "Undo");
  EXPECT_EQ(form.cmbStyles.hint(), "Styles");
  EXPECT_TRUE(form.cmbStyles.sorted());
  ASSERT_EQ(fake.platform.surfaces.size(), 1u);
  EXPECT_TRUE(fake.platform.lastSurface()->documentPuts.empty()) << "no document until Load";
  EXPECT_EQ(form.popHtmlSelAll.enabled(), true);
  EXPECT_EQ(form.popHtmlPaste.enabled(), false);
}

TEST(TableFormTest, StartValues) {
  TTableForm table;
  EXPECT_EQ(table.edRows.text(), "2");
  EXPECT_EQ(table.edCols.text(), "3");
  EXPECT_EQ(table.edWidth.text(), "80");
  EXPECT_EQ(table.edBorder.text(), "0");
  EXPECT_EQ(table.cmbUnit.itemIndex(), 0);
  EXPECT_EQ(table.cmbUnit.items(), (std::vector<std::string>{"%", "Pixel"}));
  EXPECT_TRUE(table.Button1.isDefault());
  EXPECT_TRUE(table.Button2.isCancel());
}

}  // namespace
}  // namespace pellora
