// The binder of each control kind. binder_table.cpp chooses among them by
// kind; tool bars and popup menus choose for their own items.
#pragma once

#include <memory>

#include "platform/gtk/binding/binder.h"

namespace pellora::gtk::binding {

// Forms, tab sheets and panels: children stacked or at their design bounds.
std::unique_ptr<Binder> makeContainerBinder(ui::Control& control);
std::unique_ptr<Binder> makeGroupBoxBinder(ui::Control& control);
std::unique_ptr<Binder> makeLabelBinder(ui::Control& control);
std::unique_ptr<Binder> makeButtonBinder(ui::Control& control);
// Check boxes and radio buttons.
std::unique_ptr<Binder> makeCheckBinder(ui::Control& control);
std::unique_ptr<Binder> makeEditBinder(ui::Control& control);
std::unique_ptr<Binder> makeComboBinder(ui::Control& control);
std::unique_ptr<Binder> makeCheckListBinder(ui::Control& control);
std::unique_ptr<Binder> makeProgressBinder(ui::Control& control);
std::unique_ptr<Binder> makeInfoBarBinder(ui::Control& control);
std::unique_ptr<Binder> makeSourceEditorBinder(ui::Control& control);
std::unique_ptr<Binder> makeVisualEditorBinder(ui::Control& control);
std::unique_ptr<Binder> makeCoolBarBinder(ui::Control& control);
std::unique_ptr<Binder> makeToolBarBinder(ui::Control& control);
std::unique_ptr<Binder> makeToolButtonBinder(ui::Control& control);
std::unique_ptr<Binder> makePageControlBinder(ui::Control& control);
std::unique_ptr<Binder> makePopupMenuBinder(ui::Control& control);
std::unique_ptr<Binder> makeMenuItemBinder(ui::Control& control);

}  // namespace pellora::gtk::binding
