#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "editor/editor_fixture.h"
#include "editor/main_form.h"
#include "exchange/editing_context.h"
#include "support/fake_platform.h"

namespace pellora {
namespace {

using StateTrackingTest = test::EditorFormTest;

struct TrackedButton {
  const char* name;
  int id;
};

// In the order the states are evaluated.
const TrackedButton kDownButtons[] = {
    {"btnBold", 5000},     {"btnItalic", 5023},  {"btnUnderline", 5048}, {"btnAlLeft", 5025},
    {"btnAlCenter", 5024}, {"btnAlRight", 5026}, {"btnListOL", 5030},    {"btnListUL", 5051},
};
const TrackedButton kEnabledButtons[] = {
    {"btnCut", 5003},         {"btnCopy", 5002},           {"btnPaste", 5032},
    {"btnTableInsRow", 5021}, {"btnTableDelRow", 5007},    {"btnTableInsCol", 5020},
    {"btnTableDelCol", 5006}, {"btnTableMergeCell", 5029}, {"btnTableSplitCell", 5047},
};
const int kStatuses[] = {0, 1, 3, 7, 11};

TEST_F(StateTrackingTest, BeforeTheFirstLoadNothingIsAskedOrChanged) {
  surface.raiseDisplayChanged();
  EXPECT_TRUE(surface.queried.empty());
  EXPECT_FALSE(form.btnCut.enabled());
  EXPECT_FALSE(form.btnPaste.enabled());
  EXPECT_FALSE(form.btnTableInsRow.enabled());
  EXPECT_FALSE(form.btnUndo.enabled());
  EXPECT_TRUE(form.btnDelete.enabled());
}

TEST_F(StateTrackingTest, TogglesAreDownExactlyWhenLatched) {
  load();
  for (const auto& button : kDownButtons) {
    for (int status : kStatuses) {
      SCOPED_TRACE(std::string(button.name) + " status " + std::to_string(status));
      ui::Control& control = form.child(button.name);
      const bool expected = status == ui::DECMDF_LATCHED;
      // Start from the opposite, so a row that is not applied shows.
      control.setDown(!expected);
      surface.statuses[button.id] = status;
      surface.raiseDisplayChanged();
      EXPECT_EQ(control.down(), expected);
      surface.statuses.erase(button.id);
    }
  }
}

TEST_F(StateTrackingTest, ClipboardAndTableButtonsAreEnabledExactlyWhenEnabled) {
  load();
  for (const auto& button : kEnabledButtons) {
    for (int status : kStatuses) {
      SCOPED_TRACE(std::string(button.name) + " status " + std::to_string(status));
      ui::Control& control = form.child(button.name);
      const bool expected = status == ui::DECMDF_ENABLED;
      control.setEnabled(!expected);
      surface.statuses[button.id] = status;
      surface.raiseDisplayChanged();
      EXPECT_EQ(control.enabled(), expected);
      surface.statuses.erase(button.id);
    }
  }
}

TEST_F(StateTrackingTest, UntrackedControlsKeepTheirStates) {
  load();
  form.btnLink.setEnabled(false);
  form.btnImage.setEnabled(false);
  form.btnTable.setEnabled(false);
  form.btnColor.setEnabled(false);
  surface.defaultStatus = ui::DECMDF_ENABLED;
  surface.raiseDisplayChanged();
  EXPECT_FALSE(form.btnLink.enabled());
  EXPECT_FALSE(form.btnImage.enabled());
  EXPECT_FALSE(form.btnTable.enabled());
  EXPECT_FALSE(form.btnColor.enabled());
  EXPECT_TRUE(form.btnDelete.enabled());
}

TEST_F(StateTrackingTest, AlignmentGroupHoldsAtMostTheLastLatchedButton) {
  const struct {
    int left, centre, right;
    bool startLeft, startCentre, startRight;
    const char* expected;  // down states of left, centre, right
  } cases[] = {
      {7, 3, 3, false, false, false, "100"},   {3, 7, 3, true, false, false, "010"},
      {3, 3, 7, true, false, false, "001"},    {3, 3, 3, false, true, false, "000"},
      {11, 11, 11, true, false, false, "000"}, {7, 7, 3, false, false, false, "010"},
      {7, 3, 7, false, false, false, "001"},   {7, 7, 7, false, false, false, "001"},
  };
  load();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    form.btnAlLeft.setDown(c.startLeft);
    form.btnAlCenter.setDown(c.startCentre);
    form.btnAlRight.setDown(c.startRight);
    surface.statuses[5025] = c.left;
    surface.statuses[5024] = c.centre;
    surface.statuses[5026] = c.right;
    surface.raiseDisplayChanged();
    const std::string downs = {form.btnAlLeft.down() ? '1' : '0',
                               form.btnAlCenter.down() ? '1' : '0',
                               form.btnAlRight.down() ? '1' : '0'};
    EXPECT_EQ(downs, c.expected);
  }
}

TEST_F(StateTrackingTest, EveryDisplayChangeAsksAllEighteenStatesInOrder) {
  load();
  surface.queried.clear();
  surface.raiseDisplayChanged();
  std::vector<int> expected;
  for (const auto& b : kDownButtons) expected.push_back(b.id);
  for (const auto& b : kEnabledButtons) expected.push_back(b.id);
  expected.push_back(5011);
  EXPECT_EQ(surface.queried, expected);
}

TEST_F(StateTrackingTest, AFailingQueryKeepsEarlierStatesAndLeavesLaterOnes) {
  load();
  surface.defaultStatus = ui::DECMDF_LATCHED;
  surface.statuses[5003] = ui::DECMDF_ENABLED;  // cut, before the failure
  surface.statuses[5002] = ui::DECMDF_ENABLED;  // copy, before the failure
  surface.failures[5032] = "paste query failed";
  surface.statuses[5021] = ui::DECMDF_ENABLED;  // insert row, after it
  surface.results[5011] = std::string("Heading 1");
  form.cmbStyles.setItemIndex(0);
  for (const auto& b : kDownButtons) form.child(b.name).setDown(false);
  form.btnPaste.setEnabled(true);
  form.btnTableInsRow.setEnabled(false);

  EXPECT_NO_THROW(surface.raiseDisplayChanged());

  EXPECT_TRUE(form.btnBold.down());
  EXPECT_TRUE(form.btnAlRight.down());
  EXPECT_FALSE(form.btnAlLeft.down());
  EXPECT_TRUE(form.btnListUL.down());
  EXPECT_TRUE(form.btnCut.enabled());
  EXPECT_TRUE(form.btnCopy.enabled());
  EXPECT_TRUE(form.btnPaste.enabled()) << "the failing row keeps its previous state";
  EXPECT_FALSE(form.btnTableInsRow.enabled()) << "later rows keep their previous states";
  EXPECT_EQ(form.cmbStyles.itemIndex(), 0);
  EXPECT_EQ(std::count(surface.queried.begin(), surface.queried.end(), 5021), 0);
  EXPECT_TRUE(surface.executed.empty());
  EXPECT_TRUE(fake.platform.boxes.shown.empty());
}

TEST_F(StateTrackingTest, FailuresDoNotStopTheUndoSnapshot) {
  load("<p>before</p>");
  surface.raiseDisplayChanged();  // takes the snapshot
  EXPECT_FALSE(form.btnUndo.enabled());
  surface.failures[5000] = "bold query failed";
  surface.dom.innerHTML = "<p>after</p>";
  surface.raiseDisplayChanged();
  EXPECT_TRUE(form.btnUndo.enabled());
}

TEST_F(StateTrackingTest, BlockFormatSelectsTheMatchingStyleRegardlessOfCase) {
  surface.dom.blockFormatList = {"Normal", "Heading 1",
                                 "\xDC"
                                 "berschrift 1"};
  load();
  const struct {
    int status;
    ui::CommandArg result;
    int startIndex;
    const char* expected;  // selected item, "" for none
  } cases[] = {
      {3, std::string("heading 1"), -1, "Heading 1"},
      {3, std::string("NORMAL"), 1, "Normal"},
      {3,
       std::string("\xFC"
                   "berschrift 1"),
       -1,
       "\xDC"
       "berschrift 1"},
      {3, std::string("Heading 9"), 1, ""},
      {3, std::string("Heading"), 1, ""},
      {3, ui::CommandArg{}, 1, ""},
      {7, std::string("Normal"), 0, "Heading 1"},
      {11, std::string("Normal"), 0, "Heading 1"},
      {1, std::string("Normal"), -1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    form.cmbStyles.setItemIndex(c.startIndex);
    surface.statuses[5011] = c.status;
    surface.results[5011] = c.result;
    surface.executed.clear();
    surface.queried.clear();
    surface.raiseDisplayChanged();
    const int index = form.cmbStyles.itemIndex();
    EXPECT_EQ(index < 0 ? std::string() : form.cmbStyles.items()[index], c.expected);
    EXPECT_EQ(std::count(surface.queried.begin(), surface.queried.end(), 5011), 1);
    if (c.status == 3) {
      ASSERT_EQ(surface.executed.size(), 1u);
      EXPECT_EQ(surface.executed[0].id, 5011);
      EXPECT_EQ(surface.executed[0].option, 0);
      EXPECT_TRUE(std::holds_alternative<std::monostate>(surface.executed[0].argument));
    } else {
      EXPECT_TRUE(surface.executed.empty());
    }
  }
}

TEST_F(StateTrackingTest, ATableBlockFormatAnswerEndsTheBlockSilently) {
  load();
  form.cmbStyles.setItemIndex(1);
  surface.results[5011] = ui::TableParams{};
  EXPECT_NO_THROW(surface.raiseDisplayChanged());
  EXPECT_EQ(form.cmbStyles.itemIndex(), 1);
}

}  // namespace
}  // namespace pellora
