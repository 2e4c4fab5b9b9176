// The editor form and its four dialogs. They exist once per process, owned
// here (the "application object"), created by the control and freed by its
// Close.
#pragma once

#include <memory>

#include "editor/inserttable.h"
#include "editor/main_form.h"
#include "images/upload_form.h"
#include "settings/about.h"
#include "settings/options.h"
#include "ui/form.h"

namespace pellora {

class TaxEdit;

struct EditorForms {
  std::unique_ptr<TMainForm> MainForm;
  std::unique_ptr<TTableForm> TableForm;
  std::unique_ptr<TUploadForm> UploadForm;
  std::unique_ptr<TAboutForm> AboutForm;
  std::unique_ptr<TOptionsForm> OptionsForm;

  // A Close that arrived while a load or save was running (through the
  // messages it keeps flowing); carried out when that request is over.
  bool closePending = false;

  // The control whose editor this is; a control made later takes it over,
  // and the earlier one behaves as closed from then on.
  TaxEdit* owner = nullptr;

  bool editorExists() const { return MainForm != nullptr; }
  bool requestRunning() const { return MainForm && MainForm->RequestsRunning > 0; }
};

EditorForms& application();

}  // namespace pellora
