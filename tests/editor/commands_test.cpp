#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "editor/editor_fixture.h"
#include "editor/inserttable.h"
#include "editor/main_form.h"
#include "exchange/editing_context.h"
#include "images/upload_form.h"
#include "settings/about.h"
#include "settings/lang.h"
#include "settings/options.h"
#include "support/fake_platform.h"

namespace pellora {
namespace {

using test::ExecutedCommand;

using CommandsTest = test::EditorFormTest;

struct ButtonCommand {
  const char* button;
  int id;
  int option;
};

// Every gated tool button with the command, option and (null) parameter it
// hands to the surface.
const ButtonCommand kGatedButtons[] = {
    {"btnBold", 5000, 2},
    {"btnItalic", 5023, 2},
    {"btnUnderline", 5048, 2},
    {"btnAlLeft", 5025, 2},
    {"btnAlCenter", 5024, 2},
    {"btnAlRight", 5026, 2},
    {"btnListOL", 5030, 2},
    {"btnListUL", 5051, 2},
    {"btnIndentLeft", 5031, 2},
    {"btnIndentRight", 5018, 2},
    {"btnCut", 5003, 2},
    {"btnCopy", 5002, 2},
    {"btnPaste", 5032, 2},
    {"btnDelete", 5004, 2},
    {"btnSelAll", 5035, 2},
    {"btnLink", 5016, 1},
    {"btnImage", 5017, 1},
    {"btnColor", 5009, 0},
    {"btnTableInsRow", 5021, 0},
    {"btnTableDelRow", 5007, 0},
    {"btnTableInsCol", 5020, 0},
    {"btnTableDelCol", 5006, 0},
    {"btnTableMergeCell", 5029, 0},
    {"btnTableSplitCell", 5047, 0},
};

TEST_F(CommandsTest, EachButtonRunsItsCommandWithItsOptionAndANullParameter) {
  load();
  for (const auto& row : kGatedButtons) {
    SCOPED_TRACE(row.button);
    ui::Control& button = form.child(row.button);
    // State tracking may have disabled some; the handler is what is tested.
    button.setEnabled(true);
    surface.executed.clear();
    button.click();
    ASSERT_EQ(surface.executed.size(), 1u);
    EXPECT_EQ(surface.executed[0].id, row.id);
    EXPECT_EQ(surface.executed[0].option, row.option);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(surface.executed[0].argument))
        << "commands without an argument pass the null variant";
  }
}

TEST_F(CommandsTest, GateRunsEnabledLatchedAndNinchedCommandsOnly) {
  const struct {
    int status;
    bool runs;
  } cases[] = {{0, false}, {1, false}, {3, true}, {7, true}, {11, true}};
  load();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    surface.statuses[5000] = c.status;
    surface.executed.clear();
    form.btnBold.click();
    EXPECT_EQ(surface.executed.size(), c.runs ? 1u : 0u);
    EXPECT_TRUE(fake.platform.boxes.shown.empty()) << "an unavailable command is silent";
  }
}

TEST_F(CommandsTest, NothingRunsOrIsAskedBeforeTheFirstCompletedLoad) {
  for (const auto& row : kGatedButtons) {
    ui::Control& button = form.child(row.button);
    button.setEnabled(true);
    button.click();
  }
  form.cmbStyles.onChange();
  surface.raiseContextMenuAction(3);
  surface.raiseContextMenuAction(7);
  EXPECT_TRUE(surface.executed.empty());
  EXPECT_TRUE(surface.queried.empty());
}

TEST_F(CommandsTest, GateFailuresReachTheCaller) {
  load();
  surface.failures[5003] = "status query failed";
  EXPECT_THROW(form.btnCutClick(), std::runtime_error);
  EXPECT_TRUE(surface.executed.empty());
}

TEST_F(CommandsTest, StyleChoicePassesTheChosenNameUnchangedAsText) {
  load();
  ASSERT_FALSE(form.cmbStyles.items().empty());
  form.cmbStyles.setItems({"Formatted", "heading 1 ", "Normal"});
  form.cmbStyles.setItemIndex(1);
  surface.executed.clear();
  form.cmbStyles.onChange();
  ASSERT_EQ(surface.executed.size(), 1u);
  EXPECT_EQ(surface.executed[0].id, 5043);
  EXPECT_EQ(surface.executed[0].option, 0);
  EXPECT_EQ(surface.executed[0].argument, ui::CommandArg(std::string("heading 1 ")));
}

TEST_F(CommandsTest, StylesAreSortedRegardlessOfCaseAndFilledOnce) {
  surface.dom.blockFormatList = {"normal", "Heading 2", "Address", "heading 1",
                                 "\xDC"
                                 "berschrift"};
  load();
  EXPECT_EQ(form.cmbStyles.items(),
            (std::vector<std::string>{"Address", "heading 1", "Heading 2", "normal",
                                      "\xDC"
                                      "berschrift"}));
  // A second content item keeps the list as it is.
  surface.dom.blockFormatList = {"Other"};
  load("<p>second</p>");
  EXPECT_EQ(form.cmbStyles.items().size(), 5u);
  EXPECT_EQ(surface.dom.blockFormatQueries, 1);
}

TEST_F(CommandsTest, AnEmptyStyleAnswerLeavesTheListForALaterLoad) {
  surface.dom.blockFormatList = {};
  load();
  EXPECT_TRUE(form.cmbStyles.items().empty());
  surface.dom.blockFormatList = {"Normal"};
  load();
  EXPECT_EQ(form.cmbStyles.items(), std::vector<std::string>{"Normal"});
}

TEST_F(CommandsTest, BackgroundToggleTurnsOnlyWhiteBlack) {
  const struct {
    const char* before;
    const char* after;
  } cases[] = {
      {"#ffffff", "#000000"}, {"#FFFFFF", "#000000"},  {"#fFfFfF", "#000000"},
      {"#000000", "#ffffff"}, {"white", "#ffffff"},    {"", "#ffffff"},
      {"#fffffe", "#ffffff"}, {" #ffffff", "#ffffff"},
  };
  load();
  // Not gated: the surface's answers do not matter.
  surface.defaultStatus = ui::DECMDF_NOTSUPPORTED;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before);
    surface.dom.bgColorValue = c.before;
    form.btnBackColor.click();
    EXPECT_EQ(surface.dom.bgColorValue, c.after);
  }
}

TEST_F(CommandsTest, BackgroundToggleBeforeAnyDocumentDoesNothing) {
  EXPECT_NO_THROW(form.btnBackColor.click());
  EXPECT_EQ(surface.dom.bgColorValue, "#ffffff");
}

TEST_F(CommandsTest, DetailsFollowTheToggleEvenBeforeALoad) {
  form.btnDetail.click();
  EXPECT_TRUE(form.btnDetail.down());
  EXPECT_TRUE(surface.details);
  form.btnDetail.click();
  EXPECT_FALSE(surface.details);
}

TEST_F(CommandsTest, SettingsAndAboutShowTheirDialogsModally) {
  resetLanguageCodeForTesting();
  TTableForm table;
  TUploadForm upload;
  TAboutForm about;
  const auto registry = std::filesystem::temp_directory_path() / "pellora-commands-test-absent";
  TOptionsForm options(settings::RegistryStore(registry), {form, table, upload, about});
  form.dialogs.AboutForm = &about;
  form.dialogs.OptionsForm = &options;

  form.btnOptions.click();
  form.btnAbout.click();
  EXPECT_EQ(fake.platform.modalPresenter.shownForms,
            (std::vector<std::string>{"OptionsForm", "AboutForm"}));
  EXPECT_TRUE(surface.executed.empty());
  resetLanguageCodeForTesting();
}

TEST_F(CommandsTest, DialogButtonsWithoutTheirDialogFailLoudly) {
  EXPECT_THROW(form.btnOptionsClick(), std::logic_error);
  EXPECT_THROW(form.btnAboutClick(), std::logic_error);
  EXPECT_THROW(form.btnTableClick(), std::logic_error);
}

}  // namespace
}  // namespace pellora
