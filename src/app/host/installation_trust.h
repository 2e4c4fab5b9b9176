// Before the token of a pellora: address goes anywhere new, the user sees
// which installation the item comes from and agrees. The agreement is
// remembered per installation (its installationKey) in the settings store,
// HKEY_CURRENT_USER\Software\Brixel\Pellora\Installations, one dword value
// per installation, so the question comes once.
#pragma once

#include <string>

#include "app/host/open_address.h"
#include "settings/registry.h"

namespace pellora::host {

enum class Asking { OnDisplay, Never };

// True when `request`'s installation is remembered, or when the user
// agreed on the display just now (then it is remembered). Without a
// display an installation not yet remembered is refused.
bool mayOpenFrom(const OpenRequest& request, settings::RegistryStore& store, Asking asking);

}  // namespace pellora::host
