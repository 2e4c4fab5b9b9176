// Registration of the module with the system: the type library through the
// system's type-library registration, then the class rows of the control
// under HKEY_CLASSES_ROOT; unregistration removes both.
#pragma once

#include <windows.h>

namespace pellora_win {

// S_OK, or E_FAIL when anything could not be written or removed.
HRESULT registerModule();
HRESULT unregisterModule();

}  // namespace pellora_win
