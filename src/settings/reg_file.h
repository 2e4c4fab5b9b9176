// The settings store's data model and its file format. Each hive of the
// store (the part of the Windows registry the system uses) is one text file
// in the format of a registry editor export:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Brixel\Pellora]
//   "Language"="DE"
//   @="default value"
//   "Flags"=dword:00000001
//   "Blob"=hex:00,ff
//   "Path"=hex(2):25,00,...,00,00
//
// Files are UTF-8; names and values in memory are Windows-1252. Key paths and
// value names compare case-insensitively and keep the spelling they were
// created with. The parser and formatter do no I/O, so they can be fuzzed:
// `parseRegFile(formatRegFile(m))` gives back `m` for every model.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pellora::settings {

enum class Hive { ClassesRoot, CurrentUser, LocalMachine };

// "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE".
std::string_view hiveName(Hive hive);

// Value types numbered as the registry numbers them; other numbers occur as
// hex(N) data and are kept as they are.
enum class ValueType : std::uint32_t {
  None = 0,
  String = 1,
  ExpandString = 2,
  Binary = 3,
  DWord = 4,
};

struct Value {
  ValueType type = ValueType::String;
  // Strings: Windows-1252 text without a terminator (it may hold NULs).
  // DWord: four bytes, little endian. Anything else: the raw bytes.
  std::string data;

  static Value string(std::string text) { return {ValueType::String, std::move(text)}; }
  static Value expandString(std::string text) { return {ValueType::ExpandString, std::move(text)}; }
  static Value dword(std::uint32_t number);
  static Value binary(std::string bytes) { return {ValueType::Binary, std::move(bytes)}; }

  bool isString() const { return type == ValueType::String || type == ValueType::ExpandString; }
  // The number of a well-formed dword; nullopt for anything else.
  std::optional<std::uint32_t> asDword() const;
  bool operator==(const Value&) const = default;
};

struct Key {
  // Relative to the hive; "" is the hive's root key.
  std::string path;
  // In the order they were first set; "" names the default value.
  std::vector<std::pair<std::string, Value>> values;

  const Value* find(std::string_view name) const;
  void set(const std::string& name, Value value);
  bool erase(std::string_view name);
  bool operator==(const Key&) const = default;
};

// Key and value names may hold any byte but the control characters (they
// would break the line structure of the file); a path is names joined by
// backslashes, "" being the root.
bool isValidKeyPath(std::string_view path);
bool isValidValueName(std::string_view name);

// The keys of one hive. Creating a key creates its missing parents, as the
// registry does.
class HiveData {
 public:
  HiveData();

  Key* findKey(std::string_view path);
  const Key* findKey(std::string_view path) const;
  // nullptr for an invalid path.
  Key* createKey(std::string_view path);
  // Removes the key and every key below it; false when it did not exist.
  // The root key is never removed, only emptied.
  bool deleteKey(std::string_view path);
  // Names (original spelling) of the direct subkeys of `path`.
  std::vector<std::string> subkeys(std::string_view path) const;

  // Parents before children, siblings in case-insensitive order.
  std::vector<const Key*> keys() const;
  bool operator==(const HiveData& other) const;

 private:
  struct PathOrder {
    bool operator()(const std::string& a, const std::string& b) const;
  };
  std::map<std::string, Key, PathOrder> keys_;  // by folded path
};

struct ParseResult {
  HiveData data;
  // Empty when the text was a well-formed file; otherwise what was wrong and
  // where, and `data` is empty: a damaged file counts as holding nothing.
  std::string error;
};

// Files larger than this are refused as damaged.
inline constexpr std::size_t kMaxRegFileSize = 16 * 1024 * 1024;

ParseResult parseRegFile(std::string_view text, Hive hive);
std::string formatRegFile(const HiveData& data, Hive hive);

}  // namespace pellora::settings
