// The settings store that stands in for the Windows registry: the hives the
// system uses, each one `.reg` text file (see reg_file.h) in one folder, with
// the key paths and value names the registry would hold.
//
// Every operation reads the hive file afresh, so stores of several processes
// (or several store objects) on one folder see each other's writes. Each
// write is one locked read-modify-write that replaces the file atomically,
// through a symbolic link to the file it leads to, keeping its permission
// bits. A damaged file reads as holding nothing and is reported through
// `lastDiagnostic()` and on stderr, never by an exception; the first write to
// it keeps the damaged file beside the new one (suffix ".damaged", then
// ".damaged.1", ...: an earlier copy is never replaced). A file that cannot
// be read (no permission, a folder, an I/O error) is reported the same way
// and reads as holding nothing, but is never written: every write to it
// fails. A write that would make the file larger than the reader accepts
// fails too.
//
// `RegistryKey` is the handle the dialogs use, with the string read and write
// whose failures carry the registry's German messages. On Windows the
// process's store is the system's own registry (system_key.h); the files
// serve there only where PELLORA_REGISTRY_DIR names a folder.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "settings/reg_file.h"

namespace pellora::settings {

// A failure of a settings read or write; the message is Windows-1252.
class ESettingsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class StoreResult { Done, Missing, Failed };

class SystemKey;

class RegistryStore {
 public:
  explicit RegistryStore(std::filesystem::path directory);

  // $PELLORA_REGISTRY_DIR, else ${XDG_CONFIG_HOME:-~/.config}/pellora.
  static std::filesystem::path directoryFromEnvironment();
  // The system's own registry, reached through RegistryKey only; the
  // store's other members see an empty folder. Only where
  // SystemKey::available().
  static RegistryStore systemRegistry();
  // The system's registry where there is one and PELLORA_REGISTRY_DIR is
  // not set; else a store on the folder the environment names now.
  static RegistryStore forProcess();
  bool isSystemRegistry() const { return system_; }

  const std::filesystem::path& directory() const { return directory_; }
  // <directory>/HKEY_LOCAL_MACHINE.reg and so on.
  std::filesystem::path hiveFile(Hive hive) const;

  bool keyExists(Hive hive, std::string_view path);
  // nullopt when the key or the value is missing.
  std::optional<Value> readValue(Hive hive, std::string_view path, std::string_view name);
  std::vector<std::string> subkeys(Hive hive, std::string_view path);
  // The whole hive as the file holds it now.
  HiveData snapshot(Hive hive);

  // Writes. False (or Failed) when the store refuses: the folder cannot be
  // created or written, the hive file cannot be read, a name is invalid, or
  // the file would grow too large; `lastDiagnostic()` says why.
  // Creates the key and its parents; writes nothing when the key exists.
  bool createKey(Hive hive, std::string_view path);
  // Creates the key when it is missing.
  bool writeValue(Hive hive, std::string_view path, const std::string& name, Value value);
  StoreResult deleteValue(Hive hive, std::string_view path, std::string_view name);
  // Removes the key with all its subkeys.
  StoreResult deleteKey(Hive hive, std::string_view path);

  // The most recent problem met (damaged file, failed write); empty when
  // there was none.
  const std::string& lastDiagnostic() const { return lastDiagnostic_; }
  void clearDiagnostic() { lastDiagnostic_.clear(); }

 private:
  enum class Change { None, Made, Refused };
  enum class HiveState { Sound, Damaged, Unreadable };
  template <typename Modify>
  StoreResult update(Hive hive, Modify modify);
  HiveData load(Hive hive, HiveState* state = nullptr);
  // Records the diagnostic; with a `warning`, also prints it on stderr the
  // first time this store meets it, so one start reports a file once.
  void report(std::string diagnostic, const char* warning = nullptr);

  std::filesystem::path directory_;
  bool system_ = false;
  std::string lastDiagnostic_;
  std::set<std::string> warned_;
};

// An open key, as the dialogs use it: opened (and created when missing) with
// full access for reading and writing. A key that could not be opened reads
// empty strings and refuses writes. On the system's registry, a key of
// HKEY_LOCAL_MACHINE the user may not write is stood in for as
// system_key.h says.
class RegistryKey {
 public:
  RegistryKey(RegistryStore& store, Hive hive, std::string path);
  ~RegistryKey();
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  bool isOpen() const { return open_; }
  void close();
  const std::string& path() const { return path_; }

  // The string value `name`, up to its first NUL; "" when it is missing or
  // the key is not open. Throws ESettingsError "Ungültiger Datentyp für
  // '<name>'" for a value that is not a string.
  std::string ReadString(const std::string& name);
  // nullopt when missing or not open.
  std::optional<Value> readValue(const std::string& name);

  // Throw ESettingsError "Konnte Daten für '<name>' nicht setzen" when the
  // key is not open or the store refuses.
  void WriteString(const std::string& name, const std::string& value);
  void writeExpandString(const std::string& name, const std::string& value);
  void writeDword(const std::string& name, std::uint32_t value);
  void writeBinary(const std::string& name, const std::string& bytes);
  void writeValue(const std::string& name, Value value);

  StoreResult deleteValue(const std::string& name);

 private:
  RegistryStore& store_;
  Hive hive_;
  std::string path_;
  bool open_ = false;
  std::unique_ptr<SystemKey> system_;  // open on the system's registry
};

}  // namespace pellora::settings
