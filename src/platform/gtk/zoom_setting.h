// The zoom the user chose last, kept in the settings store beside the
// settings dialog's values (as the dword "Zoom", in percent), so the next
// editor opens at it.
#pragma once

#include <cstdint>

#include "settings/registry.h"

namespace pellora::gtk {

// The stored zoom within the steps' range; the normal size when none is
// stored or the value is not a number.
std::uint32_t storedZoom(settings::RegistryStore& store);

// False when the store refuses (its diagnostic says why).
bool storeZoom(settings::RegistryStore& store, std::uint32_t percent);

}  // namespace pellora::gtk
