#include "settings/registry.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <system_error>

#include "settings/file_io.h"

namespace pellora::settings {

namespace {

constexpr const char* kLockFileName = ".pellora-registry.lock";

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::filesystem::path homeDirectory() {
  if (std::string home = environment("HOME"); !home.empty()) return home;
  if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
  return ".";
}

}  // namespace

RegistryStore::RegistryStore(std::filesystem::path directory) : directory_(std::move(directory)) {}

std::filesystem::path RegistryStore::directoryFromEnvironment() {
  if (std::string dir = environment("PELLORA_REGISTRY_DIR"); !dir.empty()) return dir;
  // A relative XDG_CONFIG_HOME is invalid and ignored, as the XDG rules say.
  std::filesystem::path config = environment("XDG_CONFIG_HOME");
  if (config.empty() || config.is_relative()) config = homeDirectory() / ".config";
  return config / "pellora";
}

std::filesystem::path RegistryStore::hiveFile(Hive hive) const {
  return directory_ / (std::string(hiveName(hive)) + ".reg");
}

void RegistryStore::report(std::string diagnostic, bool warn) {
  if (warn && diagnostic != lastDiagnostic_) {
    std::cerr << "pellora: settings file damaged, read as empty: " << diagnostic << '\n';
  }
  lastDiagnostic_ = std::move(diagnostic);
}

HiveData RegistryStore::load(Hive hive, bool* damaged) {
  if (damaged) *damaged = false;
  const std::filesystem::path file = hiveFile(hive);
  FileContent content = readWholeFile(file, kMaxRegFileSize);
  if (content.status == FileContent::Status::Missing) return {};
  if (content.status == FileContent::Status::Failed) {
    report(content.error, true);
    return {};
  }
  ParseResult parsed = parseRegFile(content.bytes, hive);
  if (!parsed.error.empty()) {
    if (damaged) *damaged = true;
    report(file.string() + ": " + parsed.error, true);
  }
  return std::move(parsed.data);
}

template <typename Modify>
StoreResult RegistryStore::update(Hive hive, Modify modify) {
  const std::filesystem::path file = hiveFile(hive);
  std::error_code ignored;
  std::filesystem::create_directories(directory_, ignored);
  std::string error;
  const auto lock = FileLock::acquire(directory_ / kLockFileName, error);
  if (!lock) {
    report(error, false);
    return StoreResult::Failed;
  }
  bool damaged = false;
  HiveData data = load(hive, &damaged);
  switch (modify(data)) {
    case Change::None:
      return StoreResult::Missing;
    case Change::Refused:
      return StoreResult::Failed;
    case Change::Made:
      break;
  }
  if (damaged) {
    // Keep what the user may still want from the damaged file.
    std::filesystem::path aside = file;
    aside += ".damaged";
    std::filesystem::rename(file, aside, ignored);
  }
  if (!replaceFileAtomically(file, formatRegFile(data, hive), error)) {
    report(error, false);
    return StoreResult::Failed;
  }
  return StoreResult::Done;
}

bool RegistryStore::keyExists(Hive hive, std::string_view path) {
  return load(hive).findKey(path) != nullptr;
}

std::optional<Value> RegistryStore::readValue(Hive hive, std::string_view path,
                                              std::string_view name) {
  const HiveData data = load(hive);
  const Key* key = data.findKey(path);
  if (!key) return std::nullopt;
  const Value* value = key->find(name);
  return value ? std::optional<Value>(*value) : std::nullopt;
}

std::vector<std::string> RegistryStore::subkeys(Hive hive, std::string_view path) {
  return load(hive).subkeys(path);
}

HiveData RegistryStore::snapshot(Hive hive) { return load(hive); }

bool RegistryStore::createKey(Hive hive, std::string_view path) {
  if (!isValidKeyPath(path)) {
    report("invalid key path", false);
    return false;
  }
  if (keyExists(hive, path)) return true;
  return update(hive, [&](HiveData& data) {
           if (data.findKey(path)) return Change::None;
           data.createKey(path);
           return Change::Made;
         }) != StoreResult::Failed;
}

bool RegistryStore::writeValue(Hive hive, std::string_view path, const std::string& name,
                               Value value) {
  if (!isValidKeyPath(path) || !isValidValueName(name)) {
    report("invalid key path or value name", false);
    return false;
  }
  return update(hive, [&](HiveData& data) {
           data.createKey(path)->set(name, std::move(value));
           return Change::Made;
         }) == StoreResult::Done;
}

StoreResult RegistryStore::deleteValue(Hive hive, std::string_view path, std::string_view name) {
  return update(hive, [&](HiveData& data) {
    Key* key = data.findKey(path);
    return key && key->erase(name) ? Change::Made : Change::None;
  });
}

StoreResult RegistryStore::deleteKey(Hive hive, std::string_view path) {
  return update(hive,
                [&](HiveData& data) { return data.deleteKey(path) ? Change::Made : Change::None; });
}

RegistryKey::RegistryKey(RegistryStore& store, Hive hive, std::string path)
    : store_(store), hive_(hive), path_(std::move(path)) {
  open_ = store_.createKey(hive_, path_);
}

std::optional<Value> RegistryKey::readValue(const std::string& name) {
  if (!open_) return std::nullopt;
  return store_.readValue(hive_, path_, name);
}

std::string RegistryKey::ReadString(const std::string& name) {
  const std::optional<Value> value = readValue(name);
  if (!value) return {};
  if (!value->isString()) throw ESettingsError("Ung\xFCltiger Datentyp f\xFCr '" + name + "'");
  return value->data.substr(0, value->data.find('\0'));
}

void RegistryKey::writeValue(const std::string& name, Value value) {
  if (!open_ || !store_.writeValue(hive_, path_, name, std::move(value))) {
    throw ESettingsError("Konnte Daten f\xFCr '" + name + "' nicht setzen");
  }
}

void RegistryKey::WriteString(const std::string& name, const std::string& value) {
  writeValue(name, Value::string(value));
}

void RegistryKey::writeExpandString(const std::string& name, const std::string& value) {
  writeValue(name, Value::expandString(value));
}

void RegistryKey::writeDword(const std::string& name, std::uint32_t value) {
  writeValue(name, Value::dword(value));
}

void RegistryKey::writeBinary(const std::string& name, const std::string& bytes) {
  writeValue(name, Value::binary(bytes));
}

StoreResult RegistryKey::deleteValue(const std::string& name) {
  if (!open_) return StoreResult::Failed;
  return store_.deleteValue(hive_, path_, name);
}

}  // namespace pellora::settings
