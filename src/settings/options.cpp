#include "settings/options.h"

#include "settings/error_report.h"
#include "settings/port_text.h"
#include "ui/form_builder.h"
#include "ui/services.h"

namespace pellora {

using settings::Hive;
using settings::RegistryKey;
using ui::addControl;
using ui::addDialogButton;
using ui::addEdit;
using ui::ControlKind;
using ui::DialogRole;

namespace {

// Selecting one radio button of a group box releases the other.
void pairRadioButtons(ui::Control& a, ui::Control& b) {
  a.changed.connect([&b](ui::Control& self, ui::Property property) {
    if (property == ui::Property::Checked && self.checked()) b.setChecked(false);
  });
  b.changed.connect([&a](ui::Control& self, ui::Property property) {
    if (property == ui::Property::Checked && self.checked()) a.setChecked(false);
  });
}

}  // namespace

// Tab orders count among siblings: OK, Cancel, the proxy group, the language
// group; inside the groups in the order of their controls.
TOptionsForm::TOptionsForm(settings::RegistryStore store, OtherForms forms)
    : ui::Form("OptionsForm"),
      Button1(addDialogButton(*this, "Button1", "OK", {51, 200, 75, 25}, 0, ui::mrOk,
                              DialogRole::Default)),
      Button2(addDialogButton(*this, "Button2", "Cancel", {155, 200, 75, 25}, 1, ui::mrCancel,
                              DialogRole::Cancel)),
      GroupBox1(addControl(*this, ControlKind::GroupBox, "GroupBox1", "Proxy", {8, 8, 265, 97}, 2)),
      cbProxy(addControl(GroupBox1, ControlKind::CheckBox, "cbProxy", "Use Proxy", {8, 24, 161, 17},
                         0)),
      edProxy(addEdit(GroupBox1, "edProxy", "", {56, 56, 121, 21}, 1)),
      edPort(addEdit(GroupBox1, "edPort", "80", {210, 56, 41, 21}, 2)),
      lblProxy(addControl(GroupBox1, ControlKind::Label, "lblProxy", "Address:", {8, 58, 0, 0})),
      lblPort(addControl(GroupBox1, ControlKind::Label, "lblPort", "Port:", {184, 58, 0, 0})),
      GroupBox2(
          addControl(*this, ControlKind::GroupBox, "GroupBox2", "Language", {8, 120, 265, 57}, 3)),
      rbEN(addControl(GroupBox2, ControlKind::RadioButton, "rbEN", "English", {16, 24, 81, 17}, 0)),
      rbDE(
          addControl(GroupBox2, ControlKind::RadioButton, "rbDE", "Deutsch", {128, 24, 81, 17}, 1)),
      store_(std::move(store)),
      texts_{forms.mainForm, forms.tableForm, forms.uploadForm, forms.aboutForm, *this} {
  setCaption("Settings");
  setBounds({0, 0, 281, 244});
  // Group boxes hold the focus stops; they are none themselves.
  GroupBox1.setTabStop(false);
  GroupBox2.setTabStop(false);
  rbEN.setChecked(true);
  pairRadioButtons(rbEN, rbDE);

  cbProxy.changed.connect([this](ui::Control&, ui::Property property) {
    if (property == ui::Property::Checked) runReportingErrors([this] { cbProxyClick(); });
  });
  Button1.onClick = [this] { runReportingErrors([this] { Button1Click(); }); };
  onShow = [this] { runReportingErrors([this] { FormShow(); }); };

  runReportingErrors([this] { FormCreate(); });
}

void TOptionsForm::FormCreate() {
  {
    // Opening may fail (no write access): then every read gives "".
    RegistryKey key(store_, Hive::LocalMachine, kSettingsKey);
    edProxy.setText(key.ReadString("ProxyHost"));
    edPort.setText(key.ReadString("ProxyPort"));
    if (key.ReadString("Proxy") == "1") cbProxy.setChecked(true);
    if (key.ReadString("Language") == "DE") {
      rbDE.setChecked(true);
      selectGermanLanguage();
    }
  }
  ApplyGermanTexts(texts_);
  EnableProxyFields(cbProxy.checked());
}

void TOptionsForm::FormShow() {
  if (rbEN.checked()) ShownLanguage = "EN";
  if (rbDE.checked()) ShownLanguage = "DE";
}

void TOptionsForm::cbProxyClick() { EnableProxyFields(cbProxy.checked()); }

void TOptionsForm::EnableProxyFields(bool enabled) {
  edProxy.setEnabled(enabled);
  edPort.setEnabled(enabled);
  lblProxy.setEnabled(enabled);
  lblPort.setEnabled(enabled);
  const ui::Color color = enabled ? ui::clWindow : ui::clBtnFace;
  edProxy.setColor(color);
  edPort.setColor(color);
}

void TOptionsForm::Button1Click() {
  {
    RegistryKey key(store_, Hive::LocalMachine, kSettingsKey);
    key.WriteString("ProxyHost", edProxy.text());
    key.WriteString("ProxyPort", edPort.text());
    key.WriteString("Proxy", cbProxy.checked() ? "1" : "0");
    key.WriteString("Language", rbDE.checked() ? "DE" : "EN");
  }
  // Each note speaks the language just chosen.
  if (rbEN.checked() && ShownLanguage == "DE") {
    ui::platform().messageBoxes().information(
        "The language setting becomes active if you start Pellora again.");
  }
  if (rbDE.checked() && ShownLanguage == "EN") {
    ui::platform().messageBoxes().information(
        "Die ge\xE4nderten Spracheinstellungen werden erst\r\nbeim n\xE4"
        "chsten Start von Pellora aktiv.");
  }
}

std::string TOptionsForm::GetProxyHost() const {
  return cbProxy.checked() ? edProxy.text() : std::string();
}

std::int32_t TOptionsForm::GetProxyPort() const {
  return cbProxy.checked() ? portFromText(edPort.text()) : 0;
}

}  // namespace pellora
