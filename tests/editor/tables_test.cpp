#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "editor/editor_fixture.h"
#include "editor/inserttable.h"
#include "editor/main_form.h"
#include "exchange/editing_context.h"
#include "support/fake_platform.h"

namespace pellora {
namespace {

struct DialogInput {
  const char* rows;
  const char* cols;
  const char* width;
  int unit;  // 0 "%", 1 "Pixel"
  const char* padding;
  const char* spacing;
  const char* border;
};

class TablesTest : public test::EditorFormTest {
 protected:
  TablesTest() { form.dialogs.TableForm = &table; }

  // The user fills the dialog (when `input` is given) and ends it with
  // `button`, as the dialog's own buttons do.
  void answerDialog(const DialogInput* input, const char* button) {
    fake.platform.modalPresenter.scripts["TableForm"] = [this, input, button](ui::Form&) {
      if (input) {
        table.edRows.setText(input->rows);
        table.edCols.setText(input->cols);
        table.edWidth.setText(input->width);
        table.cmbUnit.setItemIndex(input->unit);
        table.edPadding.setText(input->padding);
        table.edSpacing.setText(input->spacing);
        table.edBorder.setText(input->border);
      }
      table.child(button).click();
      return table.modalResult();
    };
  }

  // The parameters of the one insert-table command run, if any.
  std::optional<ui::TableParams> inserted() {
    std::optional<ui::TableParams> result;
    for (const auto& command : surface.executed) {
      if (command.id != ui::DECMD_INSERTTABLE) continue;
      EXPECT_FALSE(result) << "more than one table inserted";
      EXPECT_EQ(command.option, 0);
      result = std::get<ui::TableParams>(command.argument);
    }
    return result;
  }

  TTableForm table;
};

TEST_F(TablesTest, StartValuesGiveTwoByThreeAtEightyPercentWithoutBorder) {
  load();
  answerDialog(nullptr, "Button1");
  form.btnTable.click();
  EXPECT_EQ(fake.platform.modalPresenter.shownForms, std::vector<std::string>{"TableForm"});
  EXPECT_EQ(inserted(), (ui::TableParams{2, 3, " width=80% border=0"}));
}

TEST_F(TablesTest, AttributesAreTheNonEmptyFieldsVerbatimInFixedOrder) {
  const struct {
    DialogInput input;
    ui::TableParams expected;
  } cases[] = {
      // Regression guards named by what they catch.
      {{"abc", "", "80", 0, "", "", "0"}, {1, 1, " width=80% border=0"}},
      {{"2", "3", "50", 1, "4", "", "1"}, {2, 3, " width=50 cellpadding=4 border=1"}},
      {{"2", "3", "", 0, "", "", "0"}, {2, 3, " border=0"}},
      {{"2", "3", "100px", 0, "", "", ""}, {2, 3, " width=100px%"}},
      {{"4", "5", "80", 0, "2", "3", "1"},
       {4, 5, " width=80% cellpadding=2 cellspacing=3 border=1"}},
      {{"1", "1", "", 1, "", "7", ""}, {1, 1, " cellspacing=7"}},
      {{"1", "1", "", 0, "", "", ""}, {1, 1, ""}},
      {{"1", "1", " 5 ", 0, "x\"y", " ", "-1"},
       {1, 1, " width= 5 % cellpadding=x\"y cellspacing=  border=-1"}},
  };
  load();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected.TableAttrs);
    surface.executed.clear();
    answerDialog(&c.input, "Button1");
    form.btnTableClick();
    EXPECT_EQ(inserted(), c.expected);
  }
}

// What counts as a row or column count; everything else, and counts below
// one, give 1.
TEST_F(TablesTest, CountsAreIntegersWithOptionalBlanksSignOrHexPrefix) {
  const struct {
    const char* text;
    int expected;
  } cases[] = {
      {"2", 2},          {"17", 17},
      {" 7", 7},         {"7 ", 7},
      {"\t3\t", 3},      {"+3", 3},
      {"007", 7},        {"$10", 16},
      {"0x1F", 31},      {"0X1f", 31},
      {"-2", 1},         {"0", 1},
      {"-0", 1},         {"", 1},
      {" ", 1},          {"abc", 1},
      {"2x", 1},         {"x2", 1},
      {"1 2", 1},        {"1.5", 1},
      {"--1", 1},        {"+-1", 1},
      {"-$10", 1},       {"$", 1},
      {"0x", 1},         {"$-5", 1},
      {"+", 1},          {"2147483647", 2147483647},
      {"2147483648", 1}, {"99999999999999999999", 1},
      {"\xB2", 1},
  };
  load();
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("\"") + c.text + "\"");
    surface.executed.clear();
    const DialogInput input{c.text, c.text, "", 0, "", "", ""};
    answerDialog(&input, "Button1");
    form.btnTableClick();
    const auto params = inserted();
    ASSERT_TRUE(params);
    EXPECT_EQ(params->NumRows, c.expected);
    EXPECT_EQ(params->NumCols, c.expected);
  }
}

TEST_F(TablesTest, CancelInsertsNothingAndKeepsWhatWasTyped) {
  load();
  const DialogInput input{"5", "6", "", 1, "9", "8", ""};
  answerDialog(&input, "Button2");
  form.btnTable.click();
  EXPECT_FALSE(inserted());
  EXPECT_EQ(std::count(surface.queried.begin(), surface.queried.end(), 5022), 0);
  EXPECT_EQ(table.edRows.text(), "5");
  EXPECT_EQ(table.edCols.text(), "6");
  EXPECT_EQ(table.edPadding.text(), "9");
  EXPECT_EQ(table.cmbUnit.itemIndex(), 1);

  // Closing the window (no script: the double cancels) ends it too.
  fake.platform.modalPresenter.scripts.clear();
  form.btnTable.click();
  EXPECT_FALSE(inserted());
}

TEST_F(TablesTest, InsertingWhereNoTableFitsOrBeforeALoadDoesNothingSilently) {
  answerDialog(nullptr, "Button1");
  form.btnTable.click();
  EXPECT_FALSE(inserted()) << "before the first load";

  load();
  for (int status : {0, 1}) {
    surface.statuses[ui::DECMD_INSERTTABLE] = status;
    form.btnTable.click();
    EXPECT_FALSE(inserted());
  }
  EXPECT_TRUE(fake.platform.boxes.shown.empty());
  EXPECT_EQ(table.edRows.text(), "2");
  EXPECT_EQ(fake.platform.modalPresenter.shownForms.size(), 3u);
}

TEST_F(TablesTest, RowColumnAndCellButtonsRunTheirCommandsThroughTheGate) {
  const struct {
    const char* button;
    int id;
  } cases[] = {
      {"btnTableInsRow", 5021}, {"btnTableDelRow", 5007},    {"btnTableInsCol", 5020},
      {"btnTableDelCol", 5006}, {"btnTableMergeCell", 5029}, {"btnTableSplitCell", 5047},
  };
  load();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    ui::Control& button = form.child(c.button);
    button.setEnabled(true);
    surface.executed.clear();
    surface.statuses[c.id] = ui::DECMDF_DISABLED;
    button.click();
    EXPECT_TRUE(surface.executed.empty());
    surface.statuses[c.id] = ui::DECMDF_ENABLED;
    button.click();
    ASSERT_EQ(surface.executed.size(), 1u);
    EXPECT_EQ(surface.executed[0].id, c.id);
    EXPECT_EQ(surface.executed[0].option, 0);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(surface.executed[0].argument));
  }
}

}  // namespace
}  // namespace pellora
