// Stand-ins for the control's editor form, insert-table dialog and image
// dialog: forms holding just the named components the German texts reach,
// with English design texts, plus a record of every change made to them.
#pragma once

#include <string>
#include <vector>

#include "settings/about.h"
#include "settings/options.h"
#include "ui/control.h"
#include "ui/form.h"

namespace pellora::test {

struct Change {
  std::string form;
  std::string component;
  ui::Property property;
  bool operator==(const Change&) const = default;
};

class OtherForms {
 public:
  OtherForms() {
    mainForm.setCaption("Pellora");
    for (const char* name :
         {"popHtmlCut", "popHtmlCopy", "popHtmlPaste", "popHtmlDelete", "popHtmlSelAll"}) {
      mainForm.add(ui::ControlKind::MenuItem, name).setCaption("English");
    }
    mainForm.add(ui::ControlKind::Button, "btnTryAgain").setCaption("English");
    for (const char* name : {"btnCut",
                             "btnCopy",
                             "btnPaste",
                             "btnDelete",
                             "btnUndo",
                             "btnLink",
                             "btnImage",
                             "btnTable",
                             "btnTableInsRow",
                             "btnTableDelRow",
                             "btnTableInsCol",
                             "btnTableDelCol",
                             "btnTableMergeCell",
                             "btnTableSplitCell",
                             "btnOptions",
                             "btnAbout",
                             "cmbStyles",
                             "btnColor",
                             "btnBold",
                             "btnItalic",
                             "btnUnderline",
                             "btnAlLeft",
                             "btnAlCenter",
                             "btnAlRight",
                             "btnListOL",
                             "btnListUL",
                             "btnIndentLeft",
                             "btnIndentRight",
                             "btnDetail",
                             "btnBackColor",
                             "btnLoad",
                             "btnSave"}) {
      ui::Control& button = mainForm.add(ui::ControlKind::ToolButton, name);
      button.setHint("English");
      button.setCaption("English");
    }
    mainForm.child("btnLink").setHint("Hyperlink");
    auto& pages = mainForm.add<ui::PageControl>("PageControl");
    pages.add(ui::ControlKind::TabSheet, "tabEditor").setCaption("Editor");
    pages.add(ui::ControlKind::TabSheet, "tabHTML").setCaption("HTML");

    tableForm.setCaption("Insert Table");
    for (const char* name :
         {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Button1", "Button2"}) {
      tableForm.add(ui::ControlKind::Label, name).setCaption("English");
    }
    uploadForm.setCaption("Upload Images");
    for (const char* name : {"Label1", "Label2", "Button1", "Button2"}) {
      uploadForm.add(ui::ControlKind::Label, name).setCaption("English");
    }
  }

  // Starts recording changes of these forms and of the given ones.
  void record(std::initializer_list<ui::Form*> more) {
    for (ui::Form* form : {&mainForm, &tableForm, &uploadForm}) watch(*form, *form);
    for (ui::Form* form : more) watch(*form, *form);
  }

  TOptionsForm::OtherForms forOptions() { return {mainForm, tableForm, uploadForm, aboutForm}; }

  ui::Form mainForm{"MainForm"};
  ui::Form tableForm{"TableForm"};
  ui::Form uploadForm{"UploadForm"};
  TAboutForm aboutForm;
  std::vector<Change> changes;

 private:
  void watch(ui::Form& form, ui::Control& control) {
    control.changed.connect([this, &form](ui::Control& c, ui::Property p) {
      changes.push_back({form.name(), &c == &form ? "" : c.name(), p});
    });
    for (const auto& child : control.children()) watch(form, *child);
  }
};

}  // namespace pellora::test
