#include "platform/gtk/binding/binder_table.h"

#include <utility>

#include "platform/gtk/binding/binder_kinds.h"

namespace pellora::gtk::binding {

namespace {

using ui::ControlKind;
using Factory = std::unique_ptr<Binder> (*)(ui::Control&);

constexpr std::pair<ControlKind, Factory> kBinders[] = {
    {ControlKind::Form, &makeContainerBinder},
    {ControlKind::TabSheet, &makeContainerBinder},
    {ControlKind::Panel, &makeContainerBinder},
    {ControlKind::GroupBox, &makeGroupBoxBinder},
    {ControlKind::CoolBar, &makeCoolBarBinder},
    {ControlKind::ToolBar, &makeToolBarBinder},
    {ControlKind::PageControl, &makePageControlBinder},
    {ControlKind::Label, &makeLabelBinder},
    {ControlKind::Button, &makeButtonBinder},
    {ControlKind::Edit, &makeEditBinder},
    {ControlKind::CheckBox, &makeCheckBinder},
    {ControlKind::RadioButton, &makeCheckBinder},
    {ControlKind::ComboBox, &makeComboBinder},
    {ControlKind::CheckListBox, &makeCheckListBinder},
    {ControlKind::ProgressBar, &makeProgressBinder},
    {ControlKind::InfoBar, &makeInfoBarBinder},
    {ControlKind::SourceEditor, &makeSourceEditorBinder},
    {ControlKind::VisualEditor, &makeVisualEditorBinder},
    {ControlKind::PopupMenu, &makePopupMenuBinder},
};

}  // namespace

std::unique_ptr<Binder> makeBinder(ui::Control& control) {
  for (const auto& [kind, factory] : kBinders) {
    if (kind == control.kind()) return factory(control);
  }
  return nullptr;
}

}  // namespace pellora::gtk::binding
