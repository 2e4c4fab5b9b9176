// A tool bar's overflow menu: the entries that stand for its items when
// they do not fit.
#pragma once

#include <gtk/gtk.h>

namespace pellora::gtk::binding {

// Id of the overflow-menu entries the binders give their tool items.
inline constexpr const char* kOverflowProxyId = "pellora-proxy";

}  // namespace pellora::gtk::binding
