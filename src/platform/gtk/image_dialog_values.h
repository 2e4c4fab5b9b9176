// What the image dialog reads from its fields, as text operations: a size
// the img element can carry and the local file a preview may show.
// Covered by tests/platform/gtk/surface_dialogs_gtk_test.cpp.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pellora::gtk {

// A width or height as typed: blanks around it dropped; empty (the image's
// own size), whole pixels ("120") or a percentage ("50%"). nullopt for
// anything else, which the attribute would not take.
std::optional<std::string> imageDimension(std::string_view typed);

// The local file behind an image address: a file:// URI or an absolute
// path. nullopt for every other address, which the preview never fetches.
std::optional<std::string> previewPath(std::string_view address);

}  // namespace pellora::gtk
