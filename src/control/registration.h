// What registering the module writes under HKEY_CLASSES_ROOT: the class rows
// of the control and the rows of its type library, all plain strings.
#pragma once

#include <string>
#include <vector>

#include "settings/registry.h"

namespace pellora {

struct RegistrationRow {
  std::string key;        // below HKEY_CLASSES_ROOT
  std::string valueName;  // empty: the key's default value
  std::string data;
};

std::vector<RegistrationRow> typeLibraryRows(const std::string& modulePath);
std::vector<RegistrationRow> classRows(const std::string& modulePath);

// Writes the type-library rows, then the class rows. Throws
// settings::ESettingsError when a key or value cannot be written.
void registerServer(settings::RegistryStore& store, const std::string& modulePath);
// Removes the type-library registration, then the class rows (verb keys
// first, deepest keys before their parents). Missing keys are fine.
void unregisterServer(settings::RegistryStore& store);

}  // namespace pellora
