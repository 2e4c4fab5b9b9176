#include "settings/options.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "settings/other_forms.h"
#include "settings/port_text.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace pellora {
namespace {

using settings::Hive;
using settings::RegistryStore;
using settings::Value;

const std::string kGermanNote =
    "Die ge\xE4nderten Spracheinstellungen werden erst\r\nbeim n\xE4"
    "chsten Start von Pellora aktiv.";
const std::string kEnglishNote = "The language setting becomes active if you start Pellora again.";

class OptionsFormTest : public ::testing::Test {
 protected:
  void SetUp() override { resetLanguageCodeForTesting(); }
  void TearDown() override { resetLanguageCodeForTesting(); }

  std::unique_ptr<TOptionsForm> create() {
    return std::make_unique<TOptionsForm>(RegistryStore(dir.path()), forms.forOptions());
  }
  void store(const std::string& name, Value value) {
    ASSERT_TRUE(RegistryStore(dir.path())
                    .writeValue(Hive::LocalMachine, kSettingsKey, name, std::move(value)));
  }
  std::optional<Value> stored(const std::string& name) {
    return RegistryStore(dir.path()).readValue(Hive::LocalMachine, kSettingsKey, name);
  }
  // Shows the dialog as the Settings button does, with `user` acting in it.
  int show(TOptionsForm& form, std::function<int(TOptionsForm&)> user) {
    platform.platform.modalPresenter.scripts["OptionsForm"] = [&form, user](ui::Form&) {
      return user(form);
    };
    return platform.platform.modal().showModal(form);
  }
  static int pressOk(TOptionsForm& form) {
    form.Button1.click();
    return form.modalResult();
  }
  std::vector<test::ShownMessage>& boxes() { return platform.platform.boxes.shown; }

  pellora::test::TempDir dir;
  test::ScopedFakePlatform platform;
  test::OtherForms forms;
};

void expectProxyFields(const TOptionsForm& form, bool enabled) {
  for (const ui::Control* control : {&form.edProxy, &form.edPort, &form.lblProxy, &form.lblPort}) {
    EXPECT_EQ(control->enabled(), enabled) << control->name();
  }
  const ui::Color color = enabled ? ui::clWindow : ui::clBtnFace;
  EXPECT_EQ(form.edProxy.color(), color);
  EXPECT_EQ(form.edPort.color(), color);
}

TEST_F(OptionsFormTest, FirstStartCreatesTheKeyAndGreysTheProxyFields) {
  auto form = create();
  EXPECT_TRUE(RegistryStore(dir.path()).keyExists(Hive::LocalMachine, kSettingsKey));
  EXPECT_EQ(stored("Language"), std::nullopt);
  EXPECT_EQ(form->edProxy.text(), "");
  EXPECT_EQ(form->edPort.text(), "");  // the design text "80" is replaced
  EXPECT_FALSE(form->cbProxy.checked());
  expectProxyFields(*form, false);
  EXPECT_TRUE(form->rbEN.checked());
  EXPECT_FALSE(form->rbDE.checked());
  EXPECT_EQ(LanguageCode(), "");
  EXPECT_EQ(form->caption(), "Settings");
  EXPECT_EQ(forms.mainForm.child("btnBold").hint(), "English");
  EXPECT_EQ(form->ShownLanguage, "");
  EXPECT_TRUE(boxes().empty());
}

TEST_F(OptionsFormTest, StoredValuesFillTheDialog) {
  struct Case {
    std::string proxy, language;
    bool ticked, german;
  };
  const Case cases[] = {
      {"1", "DE", true, true},      {"0", "EN", false, false},   {"01", "de", false, false},
      {"true", "De", false, false}, {" 1", "DE ", false, false}, {"", "", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.proxy + "/" + c.language);
    resetLanguageCodeForTesting();
    store("ProxyHost", Value::string("proxy.local"));
    store("ProxyPort", Value::string("3128"));
    store("Proxy", Value::string(c.proxy));
    store("Language", Value::string(c.language));
    auto form = create();
    EXPECT_EQ(form->edProxy.text(), "proxy.local");
    EXPECT_EQ(form->edPort.text(), "3128");
    EXPECT_EQ(form->cbProxy.checked(), c.ticked);
    expectProxyFields(*form, c.ticked);
    EXPECT_EQ(form->rbDE.checked(), c.german);
    EXPECT_EQ(form->rbEN.checked(), !c.german);
    EXPECT_EQ(LanguageCode(), c.german ? "DE" : "");
    EXPECT_EQ(form->caption(), c.german ? "Einstellungen" : "Settings");
    EXPECT_EQ(form->GetProxyHost(), c.ticked ? "proxy.local" : "");
    EXPECT_EQ(form->GetProxyPort(), c.ticked ? 3128 : 0);
  }
}

TEST_F(OptionsFormTest, GermanStoredTranslatesEveryFormButTheFixedTexts) {
  store("Language", Value::string("DE"));
  auto form = create();
  EXPECT_EQ(form->caption(), "Einstellungen");
  EXPECT_EQ(form->cbProxy.caption(), "Proxy verwenden");
  EXPECT_EQ(form->lblProxy.caption(), "Adresse:");
  EXPECT_EQ(form->GroupBox2.caption(), "Sprache");
  EXPECT_EQ(form->Button2.caption(), "Abbrechen");
  for (const auto& [control, text] :
       std::vector<std::pair<ui::Control*, std::string>>{{&form->Button1, "OK"},
                                                         {&form->GroupBox1, "Proxy"},
                                                         {&form->lblPort, "Port:"},
                                                         {&form->rbEN, "English"},
                                                         {&form->rbDE, "Deutsch"}}) {
    EXPECT_EQ(control->caption(), text);
  }
  EXPECT_EQ(forms.aboutForm.caption(),
            "Info \xFC"
            "ber Pellora");
  EXPECT_EQ(forms.mainForm.child("btnBold").hint(), "Fett");
  EXPECT_EQ(forms.mainForm.child("popHtmlSelAll").caption(), "Alles markieren");
  EXPECT_EQ(forms.mainForm.child("tabEditor").caption(), "Editor");
  EXPECT_EQ(forms.tableForm.child("Label6").caption(), "Rahmen:");
  EXPECT_EQ(forms.uploadForm.caption(),
            "Bilder \xFC"
            "bertragen");
  EXPECT_TRUE(form->rbDE.checked());
}

TEST_F(OptionsFormTest, PortTextConversions) {
  struct Case {
    const char* text;
    std::int32_t port;
  };
  const Case cases[] = {
      {"8080", 8080},
      {" 8080", 8080},
      {"   +8080", 8080},
      {"$1F90", 8080},
      {"0x1F90", 8080},
      {"0X1f90", 8080},
      {"x1F90", 8080},
      {"X1f90", 8080},
      {"-5", -5},
      {"-$10", -16},
      {"0", 0},
      {"007", 7},
      {"80a", 0},
      {"", 0},
      {" ", 0},
      {"8080 ", 0},
      {"\t80", 0},
      {"- 5", 0},
      {"+-5", 0},
      {"$", 0},
      {"0x", 0},
      {"$-5", 0},
      {"1F90", 0},
      {"0x1G", 0},
      {"2147483647", 2147483647},
      {"2147483648", 0},
      {"-2147483648", INT32_MIN},
      {"-2147483649", 0},
      {"$7FFFFFFF", INT32_MAX},
      {"$80000000", 0},
      {"$FFFFFFFFFFFFFFFF1", 0},
      {"99999999999999999999", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(portFromText(c.text), c.port) << '"' << c.text << '"';
  }
  auto form = create();
  form->edPort.setText("$1F90");
  EXPECT_EQ(form->GetProxyPort(), 0);  // not ticked
  form->cbProxy.setChecked(true);
  EXPECT_EQ(form->GetProxyPort(), 8080);
}

TEST_F(OptionsFormTest, TickedProxyWithoutAddressMeansADirectConnection) {
  store("Proxy", Value::string("1"));
  store("ProxyPort", Value::string("8080"));
  auto form = create();
  EXPECT_TRUE(form->cbProxy.checked());
  EXPECT_EQ(form->GetProxyHost(), "");
  EXPECT_EQ(form->GetProxyPort(), 8080);
}

TEST_F(OptionsFormTest, UseProxyEnablesTheFieldsThenColoursThem) {
  auto form = create();
  std::vector<std::pair<std::string, ui::Property>> seen;
  for (ui::Control* control : {&form->edProxy, &form->edPort, &form->lblProxy, &form->lblPort}) {
    control->changed.connect(
        [&seen](ui::Control& c, ui::Property p) { seen.emplace_back(c.name(), p); });
  }
  form->cbProxy.setChecked(true);
  using P = ui::Property;
  EXPECT_EQ(seen, (std::vector<std::pair<std::string, ui::Property>>{{"edProxy", P::Enabled},
                                                                     {"edPort", P::Enabled},
                                                                     {"lblProxy", P::Enabled},
                                                                     {"lblPort", P::Enabled},
                                                                     {"edProxy", P::Color},
                                                                     {"edPort", P::Color}}));
  expectProxyFields(*form, true);
  form->cbProxy.setChecked(false);
  expectProxyFields(*form, false);
}

TEST_F(OptionsFormTest, OkStoresTheControlsExactlyAsTyped) {
  auto form = create();
  const int result = show(*form, [](TOptionsForm& f) {
    f.cbProxy.setChecked(true);
    f.edProxy.setText("proxy \"x\"\\y f\xFCr");
    f.edPort.setText(" 80a");
    return pressOk(f);
  });
  EXPECT_EQ(result, ui::mrOk);
  EXPECT_EQ(stored("ProxyHost"), Value::string("proxy \"x\"\\y f\xFCr"));
  EXPECT_EQ(stored("ProxyPort"), Value::string(" 80a"));
  EXPECT_EQ(stored("Proxy"), Value::string("1"));
  EXPECT_EQ(stored("Language"), Value::string("EN"));
  EXPECT_TRUE(boxes().empty());  // English before and after: no note
  show(*form, [](TOptionsForm& f) {
    f.cbProxy.setChecked(false);
    return pressOk(f);
  });
  EXPECT_EQ(stored("Proxy"), Value::string("0"));
}

TEST_F(OptionsFormTest, LanguageNotesSpeakTheNewlyChosenLanguage) {
  auto form = create();
  show(*form, [](TOptionsForm& f) {
    EXPECT_EQ(f.ShownLanguage, "EN");
    f.rbDE.setChecked(true);
    EXPECT_FALSE(f.rbEN.checked());
    return pressOk(f);
  });
  EXPECT_EQ(stored("Language"), Value::string("DE"));
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].kind, ui::MessageKind::Information);
  EXPECT_EQ(boxes()[0].text, kGermanNote);
  EXPECT_EQ(boxes()[0].buttons, std::vector<ui::MessageButton>{ui::MessageButton::OK});

  show(*form, pressOk);  // unchanged: no note
  EXPECT_EQ(boxes().size(), 1u);

  show(*form, [](TOptionsForm& f) {
    EXPECT_EQ(f.ShownLanguage, "DE");
    f.rbEN.setChecked(true);
    return pressOk(f);
  });
  ASSERT_EQ(boxes().size(), 2u);
  EXPECT_EQ(boxes()[1].text, kEnglishNote);
  EXPECT_EQ(stored("Language"), Value::string("EN"));
  // The interface keeps the language it was created with.
  EXPECT_EQ(LanguageCode(), "");
  EXPECT_EQ(form->caption(), "Settings");
}

TEST_F(OptionsFormTest, CancelStoresNothingButTheNextLoadUsesTheProxy) {
  auto form = create();
  const int result = show(*form, [](TOptionsForm& f) {
    f.cbProxy.setChecked(true);
    f.edProxy.setText("proxy.local");
    f.edPort.setText("3128");
    f.rbDE.setChecked(true);
    f.Button2.click();
    return f.modalResult();
  });
  EXPECT_EQ(result, ui::mrCancel);
  EXPECT_EQ(stored("ProxyHost"), std::nullopt);
  EXPECT_EQ(stored("Language"), std::nullopt);
  EXPECT_EQ(form->GetProxyHost(), "proxy.local");
  EXPECT_EQ(form->GetProxyPort(), 3128);
  EXPECT_TRUE(boxes().empty());
  // The language left selected by Cancel is what the next showing records.
  show(*form, [](TOptionsForm& f) {
    EXPECT_EQ(f.ShownLanguage, "DE");
    return pressOk(f);
  });
  EXPECT_TRUE(boxes().empty());
}

TEST_F(OptionsFormTest, StoreWithoutWriteAccessReportsTheFirstWriteAndStillCloses) {
  pellora::test::writeFile(dir.path() / "file", "");
  TOptionsForm form(RegistryStore(dir.path() / "file" / "reg"), forms.forOptions());
  EXPECT_TRUE(boxes().empty());  // reading gives the defaults silently
  EXPECT_EQ(form.edPort.text(), "");
  expectProxyFields(form, false);
  const int result = show(form, [](TOptionsForm& f) {
    f.rbDE.setChecked(true);
    return pressOk(f);
  });
  EXPECT_EQ(result, ui::mrOk);
  ASSERT_EQ(boxes().size(), 1u);  // no language note
  EXPECT_EQ(boxes()[0].kind, ui::MessageKind::Error);
  EXPECT_EQ(boxes()[0].text, "Konnte Daten f\xFCr 'ProxyHost' nicht setzen");
  EXPECT_EQ(boxes()[0].buttons, std::vector<ui::MessageButton>{ui::MessageButton::OK});
}

TEST_F(OptionsFormTest, ReadOnlyStoreFolderKeepsWhatIsStored) {
  store("Language", Value::string("EN"));
  ::chmod(dir.path().c_str(), 0555);
  if (::access(dir.path().c_str(), W_OK) == 0) {
    ::chmod(dir.path().c_str(), 0755);
    GTEST_SKIP() << "file permissions are not enforced for this user";
  }
  auto form = create();
  show(*form, [](TOptionsForm& f) {
    f.edProxy.setText("proxy.local");
    f.rbDE.setChecked(true);
    return pressOk(f);
  });
  ::chmod(dir.path().c_str(), 0755);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "Konnte Daten f\xFCr 'ProxyHost' nicht setzen");
  EXPECT_EQ(stored("ProxyHost"), std::nullopt);
  EXPECT_EQ(stored("Language"), Value::string("EN"));
}

TEST_F(OptionsFormTest, ValueOfAnotherTypeStopsTheReadingThere) {
  struct Case {
    const char* badValue;
    std::string host, port;  // what the fields hold afterwards
  };
  const Case cases[] = {
      {"ProxyHost", "", "80"},
      {"ProxyPort", "proxy.local", "80"},
      {"Proxy", "proxy.local", "3128"},
      {"Language", "proxy.local", "3128"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.badValue);
    resetLanguageCodeForTesting();
    boxes().clear();
    std::filesystem::remove(dir.path() / "HKEY_LOCAL_MACHINE.reg");
    store("ProxyHost", Value::string("proxy.local"));
    store("ProxyPort", Value::string("3128"));
    store("Proxy", Value::string("0"));
    store("Language", Value::string("DE"));
    store(c.badValue, Value::dword(1));
    auto form = create();
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].kind, ui::MessageKind::Error);
    EXPECT_EQ(boxes()[0].text, std::string("Ung\xFCltiger Datentyp f\xFCr '") + c.badValue + "'");
    EXPECT_EQ(form->edProxy.text(), c.host);
    EXPECT_EQ(form->edPort.text(), c.port);
    EXPECT_EQ(LanguageCode(), "");
    EXPECT_FALSE(form->rbDE.checked());
    // Neither the texts nor the proxy fields were touched: design state.
    EXPECT_EQ(form->caption(), "Settings");
    expectProxyFields(*form, true);
  }
}

TEST_F(OptionsFormTest, ReadingFailureKeepsAnEarlierGermanButAppliesNothing) {
  store("Language", Value::string("DE"));
  create();
  store("Language", Value::binary("DE"));
  test::OtherForms second;
  TOptionsForm form(RegistryStore(dir.path()), second.forOptions());
  EXPECT_EQ(LanguageCode(), "DE");
  EXPECT_EQ(form.caption(), "Settings");
  EXPECT_EQ(second.mainForm.child("btnBold").hint(), "English");
}

TEST_F(OptionsFormTest, GermanOnceStoredStaysForLaterControlsOfTheProcess) {
  auto first = create();
  show(*first, [](TOptionsForm& f) {
    f.rbDE.setChecked(true);
    return pressOk(f);
  });
  auto second = create();  // German stored: this control is German
  EXPECT_EQ(LanguageCode(), "DE");
  show(*second, [](TOptionsForm& f) {
    f.rbEN.setChecked(true);
    return pressOk(f);
  });
  EXPECT_EQ(stored("Language"), Value::string("EN"));
  test::OtherForms third;
  TOptionsForm form(RegistryStore(dir.path()), third.forOptions());
  EXPECT_EQ(LanguageCode(), "DE");
  EXPECT_TRUE(form.rbEN.checked());            // the dialog shows what is stored...
  EXPECT_EQ(form.caption(), "Einstellungen");  // ...the texts stay German
  EXPECT_EQ(third.mainForm.child("btnCut").hint(), "Ausschneiden");
}

TEST_F(OptionsFormTest, Layout) {
  auto form = create();
  EXPECT_EQ(form->name(), "OptionsForm");
  EXPECT_EQ(form->bounds(), (ui::Bounds{0, 0, 281, 244}));
  struct Row {
    ui::Control& control;
    const char* parent;
    const char* caption;
    ui::Bounds bounds;
    int tabOrder;
  };
  const Row rows[] = {
      {form->Button1, "OptionsForm", "OK", {51, 200, 75, 25}, 0},
      {form->Button2, "OptionsForm", "Cancel", {155, 200, 75, 25}, 1},
      {form->GroupBox1, "OptionsForm", "Proxy", {8, 8, 265, 97}, 2},
      {form->cbProxy, "GroupBox1", "Use Proxy", {8, 24, 161, 17}, 0},
      {form->edProxy, "GroupBox1", "", {56, 56, 121, 21}, 1},
      {form->edPort, "GroupBox1", "", {210, 56, 41, 21}, 2},
      {form->lblProxy, "GroupBox1", "Address:", {8, 58, 0, 0}, -1},
      {form->lblPort, "GroupBox1", "Port:", {184, 58, 0, 0}, -1},
      {form->GroupBox2, "OptionsForm", "Language", {8, 120, 265, 57}, 3},
      {form->rbEN, "GroupBox2", "English", {16, 24, 81, 17}, 0},
      {form->rbDE, "GroupBox2", "Deutsch", {128, 24, 81, 17}, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.control.name());
    EXPECT_EQ(&form->child(row.control.name()), &row.control);
    EXPECT_EQ(row.control.parent()->name(), row.parent);
    EXPECT_EQ(row.control.caption(), row.caption);
    EXPECT_EQ(row.control.bounds(), row.bounds);
    EXPECT_EQ(row.control.tabOrder(), row.tabOrder);
  }
  EXPECT_TRUE(form->Button1.isDefault());
  EXPECT_EQ(form->Button1.modalResult(), ui::mrOk);
  EXPECT_TRUE(form->Button2.isCancel());
  EXPECT_EQ(form->Button2.modalResult(), ui::mrCancel);
  EXPECT_FALSE(form->Button2.onClick);
}

}  // namespace
}  // namespace pellora
