#include "settings/lang.h"

#include <gtest/gtest.h>

#include "settings/other_forms.h"
#include "support/fake_platform.h"

namespace pellora {
namespace {

class LangTest : public ::testing::Test {
 protected:
  void SetUp() override { resetLanguageCodeForTesting(); }
  void TearDown() override { resetLanguageCodeForTesting(); }

  test::ScopedFakePlatform platform;
  test::OtherForms forms;
  ui::Form optionsForm{"OptionsForm"};

  GermanTextTargets targets() {
    return {forms.mainForm, forms.tableForm, forms.uploadForm, forms.aboutForm, optionsForm};
  }
  void addOptionsControls() {
    optionsForm.setCaption("Settings");
    for (const char* name : {"cbProxy", "lblProxy", "GroupBox2", "Button2", "Button1"}) {
      optionsForm.add(ui::ControlKind::Label, name).setCaption("English");
    }
  }
};

TEST_F(LangTest, EnglishLeavesEveryTextAlone) {
  addOptionsControls();
  forms.record({&optionsForm});
  ApplyGermanTexts(targets());
  EXPECT_TRUE(forms.changes.empty());
  EXPECT_EQ(LanguageCode(), "");
}

TEST_F(LangTest, GermanOverwritesTheTableInOrder) {
  addOptionsControls();
  selectGermanLanguage();
  forms.record({&optionsForm, &forms.aboutForm});
  ApplyGermanTexts(targets());

  // Dialog captions first (about box, settings, image, table dialog), then the
  // popup items and the load notice's button, then the hints; "Hyperlink" is
  // the same in both languages.
  std::vector<std::string> formOrder;
  for (const auto& change : forms.changes) {
    if (formOrder.empty() || formOrder.back() != change.form) formOrder.push_back(change.form);
  }
  EXPECT_EQ(formOrder, (std::vector<std::string>{"AboutForm", "OptionsForm", "UploadForm",
                                                 "TableForm", "MainForm"}));
  ASSERT_EQ(forms.changes.size(), 19u + 6u + 29u);
  EXPECT_EQ(forms.changes[19], (test::Change{"MainForm", "popHtmlCut", ui::Property::Caption}));
  EXPECT_EQ(forms.changes[24], (test::Change{"MainForm", "btnTryAgain", ui::Property::Caption}));
  EXPECT_EQ(forms.changes[25], (test::Change{"MainForm", "btnCut", ui::Property::Hint}));
  EXPECT_EQ(forms.changes.back(), (test::Change{"MainForm", "btnBackColor", ui::Property::Hint}));

  struct Row {
    ui::Control& control;
    std::string caption;
    std::string hint;
  };
  const Row rows[] = {
      {forms.aboutForm,
       "Info \xFC"
       "ber Pellora",
       ""},
      {forms.aboutForm.Label3, "Der WYSIWYG-Editor\r\nf\xFCr Tessaron", ""},
      {optionsForm, "Einstellungen", ""},
      {optionsForm.child("Button1"), "English", ""},
      {forms.uploadForm,
       "Bilder \xFC"
       "bertragen",
       ""},
      {forms.uploadForm.child("Label1"), "Bilder vom Server l\xF6schen:", ""},
      {forms.uploadForm.child("Button1"), "English", ""},
      {forms.tableForm, "Tabelle einf\xFCgen", ""},
      {forms.tableForm.child("Label2"), "Zellauff\xFCllung:", ""},
      {forms.tableForm.child("Button1"), "English", ""},
      {forms.mainForm, "Pellora", ""},
      {forms.mainForm.child("popHtmlPaste"), "Einf\xFCgen", ""},
      {forms.mainForm.child("btnTryAgain"), "&Erneut versuchen", ""},
      {forms.mainForm.child("btnUndo"), "English",
       "R\xFC"
       "ckg\xE4ngig"},
      {forms.mainForm.child("btnIndentRight"), "English",
       "Einzug vergr\xF6\xDF"
       "ern"},
      {forms.mainForm.child("btnLoad"), "English", "English"},
      {forms.mainForm.child("tabHTML"), "HTML", ""},
      {forms.aboutForm.Label1, kMakerWebSite, ""},
      {forms.aboutForm.Label2, "Pellora 2.1", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.control.name());
    EXPECT_EQ(row.control.caption(), row.caption);
    if (!row.hint.empty()) {
      EXPECT_EQ(row.control.hint(), row.hint);
    }
  }
}

TEST_F(LangTest, AMissingComponentIsAProgrammingError) {
  selectGermanLanguage();
  EXPECT_THROW(ApplyGermanTexts(targets()), std::logic_error);
}

}  // namespace
}  // namespace pellora
