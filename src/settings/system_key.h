// A key of the system's own registry, the settings dialog's store on
// Windows (RegistryKey reaches it when its store is the system's; see
// registry.h). Other systems have no such registry: there `available()` is
// false and nothing opens.
//
// A key of HKEY_LOCAL_MACHINE is opened for writing where the user may
// write there. Where not (an ordinary user), the same path under
// HKEY_CURRENT_USER takes the writes, and reads look there first, then at
// the machine's key opened for reading: the user's own settings win over
// what an administrator stored for the machine, and a user who may not
// write the machine's settings can still keep settings.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "settings/reg_file.h"
#include "settings/registry.h"

namespace pellora::settings {

class SystemKey {
 public:
  virtual ~SystemKey() = default;

  // Whether this system has a registry of its own.
  static bool available();
  // Opens (creating when missing) `path` under `hive`; nullptr when neither
  // the key nor its stand-in under HKEY_CURRENT_USER can be had.
  static std::unique_ptr<SystemKey> open(Hive hive, const std::string& path);

  // nullopt when the value is missing. Strings come as Windows-1252.
  virtual std::optional<Value> read(const std::string& name) = 0;
  // False when the registry refuses.
  virtual bool write(const std::string& name, const Value& value) = 0;
  virtual StoreResult remove(const std::string& name) = 0;
};

}  // namespace pellora::settings
