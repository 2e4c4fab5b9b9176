// The Windows registry behind SystemKey, with the roots as parameters so
// that tests can stand keys of their own in for HKEY_LOCAL_MACHINE and
// HKEY_CURRENT_USER.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "settings/system_key.h"

namespace pellora::settings {

// Opens (creating when missing) `path` under `root` with full access; where
// that is refused and `standIn` is not null, opens it under `standIn`
// instead, reading through to `root`'s key (see system_key.h).
std::unique_ptr<SystemKey> openSystemKey(HKEY root, HKEY standIn, const std::string& path);

}  // namespace pellora::settings
