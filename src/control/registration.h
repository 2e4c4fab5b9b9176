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

// The keys of the class rows in the order unregistering removes them: verb
// keys first, each key after its subkeys.
std::vector<std::string> classKeysInRemovalOrder();

// Writes the type-library rows, then the class rows. Throws
// settings::ESettingsError when a key or value cannot be written.
void registerServer(settings::RegistryStore& store, const std::string& modulePath);
// Removes the type-library registration, then the class rows (verb keys
// first, deepest keys before their parents). Missing keys are fine.
void unregisterServer(settings::RegistryStore& store);

}  // namespace pellora
