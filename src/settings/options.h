// The settings dialog `OptionsForm`: whether an HTTP proxy is used (address
// and port) and the interface language. Creating it is the one moment the
// stored settings are read, the language is decided and the German texts are
// applied; only its OK button writes them back. Between showings it stays
// alive, hidden, and its controls are the live source of the proxy settings
// that every load asks for, so proxy changes left by Cancel still apply.
//
// Settings live in the store under HKEY_LOCAL_MACHINE\SOFTWARE\Brixel\Pellora
// as the strings "ProxyHost", "ProxyPort", "Proxy" ("1"/"0") and "Language"
// ("DE"/"EN").
//
// Check boxes and radio buttons run their logic when their checked state
// changes, whoever changes it (a view following the user, a test, or the
// form's own reading of the settings), as form frameworks raise a check
// box's click for programmatic changes too: a view only sets `checked`.
#pragma once

#include <cstdint>
#include <string>

#include "settings/lang.h"
#include "settings/registry.h"
#include "ui/control.h"
#include "ui/form.h"

namespace pellora {

// Where the dialog keeps its settings.
inline constexpr const char* kSettingsKey = "SOFTWARE\\Brixel\\Pellora";

class TOptionsForm : public ui::Form {
 public:
  // The control's other forms, created before this one; their texts become
  // German here when German is stored.
  struct OtherForms {
    ui::Form& mainForm;
    ui::Form& tableForm;
    ui::Form& uploadForm;
    ui::Form& aboutForm;
  };

  // Builds the dialog and runs FormCreate. Failures while reading are shown
  // in the error box; the dialog exists in any case. Needs the platform.
  TOptionsForm(settings::RegistryStore store, OtherForms forms);

  ui::Control& Button1;
  ui::Control& Button2;
  ui::Control& GroupBox1;
  ui::Control& cbProxy;
  ui::Control& edProxy;
  ui::Control& edPort;
  ui::Control& lblProxy;
  ui::Control& lblPort;
  ui::Control& GroupBox2;
  ui::Control& rbEN;
  ui::Control& rbDE;

  // "EN" or "DE": the language selected at the last showing; empty before
  // the first.
  std::string ShownLanguage;

  // The handlers, as the form runs them (they throw; the form reports).
  void FormCreate();
  void FormShow();
  void cbProxyClick();
  void EnableProxyFields(bool enabled);
  void Button1Click();

  // What the next load uses: empty / 0 when "Use Proxy" is not ticked.
  std::string GetProxyHost() const;
  std::int32_t GetProxyPort() const;

  settings::RegistryStore& store() { return store_; }

 private:
  settings::RegistryStore store_;
  GermanTextTargets texts_;
};

}  // namespace pellora
