#include "settings/registry.h"

#include <cstdlib>
#include <iostream>
#include <system_error>

#include "settings/file_io.h"
#include "settings/home_directory.h"
#include "settings/system_key.h"

namespace pellora::settings {

namespace {

constexpr const char* kLockFileName = ".pellora-registry.lock";

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
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

RegistryStore RegistryStore::systemRegistry() {
  RegistryStore store{std::filesystem::path()};
  store.system_ = true;
  return store;
}

RegistryStore RegistryStore::forProcess() {
  if (SystemKey::available() && environment("PELLORA_REGISTRY_DIR").empty()) {
    return systemRegistry();
  }
  return RegistryStore(directoryFromEnvironment());
}

std::filesystem::path RegistryStore::hiveFile(Hive hive) const {
  return directory_ / (std::string(hiveName(hive)) + ".reg");
}

void RegistryStore::report(std::string diagnostic, const char* warning) {
  if (warning && warned_.insert(diagnostic).second) {
    std::cerr << "pellora: settings file " << warning << ": " << diagnostic << '\n';
  }
  lastDiagnostic_ = std::move(diagnostic);
}

HiveData RegistryStore::load(Hive hive, HiveState* state) {
  if (state) *state = HiveState::Sound;
  if (system_) return {};
  const std::filesystem::path file = hiveFile(hive);
  FileContent content = readWholeFile(file, kMaxRegFileSize);
  if (content.status == FileContent::Status::Missing) return {};
  if (content.status == FileContent::Status::Failed) {
    if (state) *state = HiveState::Unreadable;
    report(content.error, "unreadable, the defaults are used and it is left as it is");
    return {};
  }
  ParseResult parsed = parseRegFile(content.bytes, hive);
  if (!parsed.error.empty()) {
    if (state) *state = HiveState::Damaged;
    report(file.string() + ": " + parsed.error, "damaged, read as empty");
  }
  return std::move(parsed.data);
}

template <typename Modify>
StoreResult RegistryStore::update(Hive hive, Modify modify) {
  if (system_) {
    report("the system's registry is written through RegistryKey only");
    return StoreResult::Failed;
  }
  const std::filesystem::path file = hiveFile(hive);
  std::error_code ignored;
  std::filesystem::create_directories(directory_, ignored);
  std::string error;
  const auto lock = FileLock::acquire(directory_ / kLockFileName, error);
  if (!lock) {
    report(error);
    return StoreResult::Failed;
  }
  HiveState state = HiveState::Sound;
  HiveData data = load(hive, &state);
  // What cannot be read may hold anything: writing would destroy it. The
  // read has reported it already.
  if (state == HiveState::Unreadable) return StoreResult::Failed;
  switch (modify(data)) {
    case Change::None:
      return StoreResult::Missing;
    case Change::Refused:
      return StoreResult::Failed;
    case Change::Made:
      break;
  }
  const std::string text = formatRegFile(data, hive);
  // The reader refuses larger files, and all the hive's values with them.
  if (text.size() > kMaxRegFileSize) {
    report(file.string() + ": the values would exceed the " + std::to_string(kMaxRegFileSize) +
           " bytes a settings file may hold");
    return StoreResult::Failed;
  }
  // Keep what the user may still want from the damaged file.
  if (state == HiveState::Damaged && !keepCopy(file, ".damaged", error)) {
    report(error);
    return StoreResult::Failed;
  }
  if (!replaceFileAtomically(file, text, error)) {
    report(error);
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
    report("invalid key path");
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
    report("invalid key path or value name");
    return false;
  }
  // Its text is at least as long as its data; no need to format it to know.
  if (value.data.size() > kMaxRegFileSize) {
    report("value " + name + " is longer than a settings file may be");
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
  if (store_.isSystemRegistry()) {
    system_ = SystemKey::open(hive_, path_);
    open_ = system_ != nullptr;
  } else {
    open_ = store_.createKey(hive_, path_);
  }
}

RegistryKey::~RegistryKey() = default;

void RegistryKey::close() {
  system_.reset();
  open_ = false;
}

std::optional<Value> RegistryKey::readValue(const std::string& name) {
  if (!open_) return std::nullopt;
  if (system_) return system_->read(name);
  return store_.readValue(hive_, path_, name);
}

std::string RegistryKey::ReadString(const std::string& name) {
  const std::optional<Value> value = readValue(name);
  if (!value) return {};
  if (!value->isString()) throw ESettingsError("Ung\xFCltiger Datentyp f\xFCr '" + name + "'");
  return value->data.substr(0, value->data.find('\0'));
}

void RegistryKey::writeValue(const std::string& name, Value value) {
  const bool written = open_ && (system_ ? system_->write(name, value)
                                         : store_.writeValue(hive_, path_, name, std::move(value)));
  if (!written) {
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
  if (system_) return system_->remove(name);
  return store_.deleteValue(hive_, path_, name);
}

}  // namespace pellora::settings
