// Keyboard focus in the model's tab order. Tab and Shift+Tab walk a
// container's children by their tab order, entering nested containers in
// turn; a container none of whose children has a tab order (the editor
// form) keeps the toolkit's own order.
// Covered by tests/platform/gtk/dialog_focus_test.cpp.
#pragma once

#include <gtk/gtk.h>

#include "platform/gtk/binding/binder.h"
#include "ui/control.h"

namespace pellora::gtk::binding {

// Whether any child of `container` has a tab order of its own.
bool ordersItsChildren(const ui::Control& container);

// Moves the focus one step in `direction` among the children of
// `container`, whose widgets `holder` holds, as the toolkit's focus signal
// asks: true when a child took it, false when the walk leaves `holder`.
bool moveFocusInTabOrder(const BindingSite& site, const ui::Control& container, GtkWidget* holder,
                         GtkDirectionType direction);

// Gives the focus to the first control of the form shown by `top` that Tab
// reaches from nowhere; keeps the focus it had when none takes it.
bool focusFirstInTabOrder(GtkWidget* top);

}  // namespace pellora::gtk::binding
