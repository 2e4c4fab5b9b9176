// Small helpers for building dialogs in the widget model: a labelled child
// with its bounds and tab order in one call.
#pragma once

#include <string>

#include "ui/control.h"
#include "ui/form.h"

namespace pellora::ui {

inline Control& addControl(Control& parent, ControlKind kind, const std::string& name,
                           const std::string& caption, Bounds bounds, int tabOrder = -1) {
  Control& control = parent.add(kind, name);
  control.setCaption(caption);
  control.setBounds(bounds);
  control.setTabOrder(tabOrder);
  if (tabOrder < 0) control.setTabStop(false);
  return control;
}

inline Control& addEdit(Control& parent, const std::string& name, const std::string& text,
                        Bounds bounds, int tabOrder) {
  Control& edit = addControl(parent, ControlKind::Edit, name, "", bounds, tabOrder);
  edit.setText(text);
  edit.setColor(clWindow);
  return edit;
}

// OK/Cancel style dialog button: `result` is its modal result; a default
// button answers Enter, a cancel button Escape.
enum class DialogRole { Default, Cancel, Plain };

inline Control& addDialogButton(Control& parent, const std::string& name,
                                const std::string& caption, Bounds bounds, int tabOrder, int result,
                                DialogRole role) {
  Control& button = addControl(parent, ControlKind::Button, name, caption, bounds, tabOrder);
  button.setModalResult(result);
  button.setDefault(role == DialogRole::Default);
  button.setCancel(role == DialogRole::Cancel);
  return button;
}

}  // namespace pellora::ui
