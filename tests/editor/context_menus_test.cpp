#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "editor/main_form.h"
#include "exchange/document_template.h"
#include "exchange/editing_context.h"
#include "settings/lang.h"
#include "support/fake_platform.h"

namespace pellora {
namespace {

class ContextMenusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetEditingContextForTesting();
    resetLanguageCodeForTesting();
  }
  void TearDown() override {
    resetEditingContextForTesting();
    resetLanguageCodeForTesting();
  }

  void load(const std::string& body = "<p>text</p>") {
    surface.setDocumentHTML(wrapInDocumentTemplate(body));
  }
  std::vector<int> executedIds() const {
    std::vector<int> ids;
    for (const auto& command : surface.executed) ids.push_back(command.id);
    return ids;
  }

  test::ScopedFakePlatform fake;
  TMainForm form;
  test::FakeEditingSurface& surface = *fake.platform.lastSurface();
};

// ---- the visual view's menu ----

TEST_F(ContextMenusTest, MenuTextsFollowTheLanguageAtEveryRightClick) {
  const ui::ContextMenuStrings english = {"Undo",  "",       "Cut", "Copy",
                                          "Paste", "Delete", "",    "Select All"};
  const ui::ContextMenuStrings german = {
      "R\xFC"
      "ckg\xE4ngig",
      "",
      "Ausschneiden",
      "Kopieren",
      "Einf\xFCgen",
      "L\xF6schen",
      "",
      "Alles markieren"};
  surface.raiseShowContextMenu(10, 20);
  EXPECT_EQ(surface.menuStrings, english);
  selectGermanLanguage();
  surface.raiseShowContextMenu(0, 0);
  EXPECT_EQ(surface.menuStrings, german);
  EXPECT_EQ(surface.contextMenuSets, 2);
  EXPECT_EQ(surface.menuStates, (ui::ContextMenuStates{0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(ContextMenusTest, EntriesArePlainEvenWhenTheyCannotAct) {
  load();
  surface.statuses[5003] = ui::DECMDF_DISABLED;
  surface.statuses[5002] = ui::DECMDF_DISABLED;
  surface.statuses[5004] = ui::DECMDF_NOTSUPPORTED;
  surface.menuStates.fill(-1);
  surface.raiseShowContextMenu(0, 0);
  EXPECT_EQ(surface.menuStates, (ui::ContextMenuStates{0, 0, 0, 0, 0, 0, 0, 0}));
  for (int index : {2, 3, 5}) surface.raiseContextMenuAction(index);
  EXPECT_TRUE(surface.executed.empty());
  EXPECT_TRUE(fake.platform.boxes.shown.empty());
}

TEST_F(ContextMenusTest, ChoicesRunTheToolBarCommands) {
  const struct {
    int index;
    std::vector<int> ids;
  } cases[] = {
      {0, {5049}}, {1, {}},     {2, {5003}}, {3, {5002}}, {4, {5032}}, {5, {5004}},
      {6, {}},     {7, {5035}}, {8, {}},     {-1, {}},    {100, {}},
  };
  load();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.index);
    surface.executed.clear();
    surface.raiseContextMenuAction(c.index);
    EXPECT_EQ(executedIds(), c.ids);
  }
}

TEST_F(ContextMenusTest, ChoicesBeforeTheFirstLoadDoNothing) {
  for (int index = 0; index < ui::kContextMenuSize; ++index) {
    surface.raiseContextMenuAction(index);
  }
  EXPECT_TRUE(surface.executed.empty());
  EXPECT_TRUE(surface.documentPuts.empty());
}

TEST_F(ContextMenusTest, UndoAfterASourceEditRestoresTheBodyWhateverTheSurfaceSays) {
  load("<p>original</p>");
  surface.raiseDisplayChanged();
  form.PageControl.selectPage(1);
  form.mmoHTML.setText("<p>typed</p>");
  form.mmoHTML.onChange();
  form.PageControl.selectPage(0);
  ASSERT_EQ(surface.documentPuts.back(), wrapInDocumentTemplate("<p>typed</p>"));
  surface.statuses[ui::DECMD_UNDO] = ui::DECMDF_NOTSUPPORTED;
  surface.executed.clear();

  surface.raiseContextMenuAction(0);

  EXPECT_EQ(surface.documentPuts.back(), wrapInDocumentTemplate("<p>original</p>"));
  EXPECT_TRUE(executedIds().empty());
  EXPECT_FALSE(form.SourceModified);
}

// ---- the HTML view's popup ----

TEST_F(ContextMenusTest, PopupOffersWhatTheClipboardAndSelectionAllow) {
  const struct {
    std::optional<std::string> clipboard;
    int selStart, selLength;
    const char* expected;  // enabled: cut copy paste delete select-all
  } cases[] = {
      {std::nullopt, 0, 0, "----S"},     {std::string(), 3, 0, "----S"},
      {std::string("x"), 0, 0, "--P-S"}, {std::nullopt, 1, 2, "CC-DS"},
      {std::string("x"), 0, 5, "CCPDS"}, {std::nullopt, 5, 3, "----S"},  // beyond the text
  };
  form.mmoHTML.setText("hello");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    // Start from the opposite of what is expected.
    for (ui::Control* item : {&form.popHtmlCut, &form.popHtmlCopy, &form.popHtmlPaste,
                              &form.popHtmlDelete, &form.popHtmlSelAll}) {
      item->setEnabled(true);
    }
    form.popHtmlPaste.setEnabled(c.expected[2] == '-');
    fake.platform.clipboardDouble.content = c.clipboard;
    form.mmoHTML.setSelection(c.selStart, c.selLength);
    form.MenuHtmlPopup.click();
    const std::string enabled = {
        form.popHtmlCut.enabled() ? 'C' : '-', form.popHtmlCopy.enabled() ? 'C' : '-',
        form.popHtmlPaste.enabled() ? 'P' : '-', form.popHtmlDelete.enabled() ? 'D' : '-',
        form.popHtmlSelAll.enabled() ? 'S' : '-'};
    EXPECT_EQ(enabled, c.expected);
  }
}

TEST_F(ContextMenusTest, PopupActionsEditTheSourceThroughItsChangeNotification) {
  const struct {
    const char* name;
    const char* item;
    int selStart, selLength;
    std::optional<std::string> clipboardBefore;
    const char* text;
    std::optional<std::string> clipboardAfter;
    int caret, selection;
    bool changed;
  } cases[] = {
      {"cut", "popHtmlCut", 1, 3, "old", "aef", "bcd", 1, 0, true},
      {"cut nothing", "popHtmlCut", 2, 0, "old", "abcdef", "old", 2, 0, false},
      {"copy", "popHtmlCopy", 1, 3, "old", "abcdef", "bcd", 1, 3, false},
      {"copy nothing", "popHtmlCopy", 2, 0, "old", "abcdef", "old", 2, 0, false},
      {"paste over", "popHtmlPaste", 1, 3, "XY", "aXYef", "XY", 3, 0, true},
      {"paste at caret", "popHtmlPaste", 6, 0, "<b>", "abcdef<b>", "<b>", 9, 0, true},
      {"paste past end", "popHtmlPaste", 40, 2, "Z", "abcdefZ", "Z", 7, 0, true},
      {"paste empty clipboard", "popHtmlPaste", 1, 3, std::nullopt, "abcdef", std::nullopt, 1, 3,
       false},
      {"delete", "popHtmlDelete", 0, 6, "old", "", "old", 0, 0, true},
      {"delete overlong", "popHtmlDelete", 4, 10, "old", "abcd", "old", 4, 0, true},
      {"delete nothing", "popHtmlDelete", 3, 0, "old", "abcdef", "old", 3, 0, false},
      {"select all", "popHtmlSelAll", 2, 1, "old", "abcdef", "old", 0, 6, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    form.SourceModified = false;
    form.mmoHTML.setText("abcdef");
    form.mmoHTML.setSelection(c.selStart, c.selLength);
    fake.platform.clipboardDouble.content = c.clipboardBefore;
    ui::Control& item = form.child(c.item);
    item.setEnabled(true);
    item.click();
    EXPECT_EQ(form.mmoHTML.text(), c.text);
    EXPECT_EQ(fake.platform.clipboardDouble.content, c.clipboardAfter);
    EXPECT_EQ(form.mmoHTML.selStart(), c.caret);
    EXPECT_EQ(form.mmoHTML.selLength(), c.selection);
    EXPECT_EQ(form.SourceModified, c.changed);
    if (c.changed) {
      EXPECT_EQ(editingContext().ContentBody, c.text);
    }
  }
}

}  // namespace
}  // namespace pellora
