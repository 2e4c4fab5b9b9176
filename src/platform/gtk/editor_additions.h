// What the GTK editor adds around the form's own controls, none of which
// changes a tool bar, menu, hint or text of the form: the find bar below
// the tool bars and the status line at the foot (find_bar.h,
// status_line.h). Both go into the form's widget tree and leave it again
// when the additions go, which must be before the surface does.
// Covered by tests/app/find_journey_test.cpp.
#pragma once

#include <memory>

#include "platform/gtk/find_bar.h"
#include "platform/gtk/form_binding.h"
#include "platform/gtk/status_line.h"
#include "platform/gtk/surface_widget.h"

namespace pellora::gtk {

class EditorAdditions {
 public:
  // `surface` (may be null) is the visual view's surface bound in `form`.
  EditorAdditions(FormBinding& form, SurfaceWidget* surface);

 private:
  std::unique_ptr<FindBar> findBar_;
  std::unique_ptr<StatusLine> statusLine_;
};

}  // namespace pellora::gtk
