// No system registry here: settings live in the store's files (registry.h).
#include "settings/system_key.h"

namespace pellora::settings {

bool SystemKey::available() { return false; }

std::unique_ptr<SystemKey> SystemKey::open(Hive, const std::string&) { return nullptr; }

}  // namespace pellora::settings
