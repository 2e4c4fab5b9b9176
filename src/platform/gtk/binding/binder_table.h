// The binder of a control, chosen by its kind.
#pragma once

#include <memory>

#include "platform/gtk/binding/binder.h"

namespace pellora::gtk::binding {

// The binder for `control`; nullptr for kinds without a view of their own
// (bevels, images, up-downs) and for items whose parent binds them (tool
// buttons, menu items).
std::unique_ptr<Binder> makeBinder(ui::Control& control);

}  // namespace pellora::gtk::binding
