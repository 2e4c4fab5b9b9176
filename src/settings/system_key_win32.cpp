// Covered by tests/windows/system_key_test.cpp and, through the module,
// by scripts/windows-test.
#include "settings/system_key_win32.h"

#include <algorithm>

#include "content/cp1252.h"

namespace pellora::settings {

namespace {

// An open key, closed when it goes.
class KeyHandle {
 public:
  KeyHandle() = default;
  explicit KeyHandle(HKEY key) : key_(key) {}
  ~KeyHandle() {
    if (key_) ::RegCloseKey(key_);
  }
  KeyHandle(KeyHandle&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
  KeyHandle(const KeyHandle&) = delete;
  KeyHandle& operator=(const KeyHandle&) = delete;
  KeyHandle& operator=(KeyHandle&&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// Key paths and value names are Windows-1252, as everything the settings
// hold.
std::wstring wide(const std::string& cp1252) {
  const std::u16string text = content::cp1252ToUtf16(cp1252);
  return std::wstring(text.begin(), text.end());
}

std::optional<Value> readFrom(HKEY key, const std::wstring& name) {
  DWORD type = 0;
  DWORD size = 0;
  std::string bytes;
  for (;;) {
    const LSTATUS status =
        ::RegQueryValueExW(key, name.c_str(), nullptr, &type,
                           bytes.empty() ? nullptr : reinterpret_cast<BYTE*>(bytes.data()), &size);
    if (status == ERROR_SUCCESS && (size == 0 || !bytes.empty())) break;
    // The first call asks for the size; a value that grew meanwhile asks again.
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) return std::nullopt;
    bytes.assign(size, '\0');
  }
  bytes.resize(size);
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    std::u16string text(bytes.size() / 2, u'\0');
    std::copy_n(bytes.data(), text.size() * 2, reinterpret_cast<char*>(text.data()));
    // The stored terminator is no part of the text.
    if (!text.empty() && text.back() == u'\0') text.pop_back();
    return Value{type == REG_SZ ? ValueType::String : ValueType::ExpandString,
                 content::utf16ToCp1252(text)};
  }
  return Value{static_cast<ValueType>(type), std::move(bytes)};
}

class WindowsKey final : public SystemKey {
 public:
  WindowsKey(KeyHandle writable, KeyHandle readThrough)
      : writable_(std::move(writable)), readThrough_(std::move(readThrough)) {}

  std::optional<Value> read(const std::string& name) override {
    const std::wstring wideName = wide(name);
    if (auto value = readFrom(writable_.get(), wideName)) return value;
    if (readThrough_.get()) return readFrom(readThrough_.get(), wideName);
    return std::nullopt;
  }

  bool write(const std::string& name, const Value& value) override {
    std::string bytes = value.data;
    if (value.isString()) {
      const std::u16string text = content::cp1252ToUtf16(value.data) + u'\0';
      bytes.assign(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    }
    return ::RegSetValueExW(writable_.get(), wide(name).c_str(), 0, static_cast<DWORD>(value.type),
                            reinterpret_cast<const BYTE*>(bytes.data()),
                            static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
  }

  StoreResult remove(const std::string& name) override {
    switch (::RegDeleteValueW(writable_.get(), wide(name).c_str())) {
      case ERROR_SUCCESS:
        return StoreResult::Done;
      case ERROR_FILE_NOT_FOUND:
        return StoreResult::Missing;
      default:
        return StoreResult::Failed;
    }
  }

 private:
  KeyHandle writable_;
  KeyHandle readThrough_;  // the machine's key when the user's takes the writes
};

KeyHandle createKey(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
    return KeyHandle();
  }
  return KeyHandle(key);
}

}  // namespace

std::unique_ptr<SystemKey> openSystemKey(HKEY root, HKEY standIn, const std::string& path) {
  const std::wstring widePath = wide(path);
  if (KeyHandle key = createKey(root, widePath); key.get()) {
    return std::make_unique<WindowsKey>(std::move(key), KeyHandle());
  }
  if (!standIn) return nullptr;
  KeyHandle own = createKey(standIn, widePath);
  if (!own.get()) return nullptr;
  HKEY machine = nullptr;
  if (::RegOpenKeyExW(root, widePath.c_str(), 0, KEY_READ, &machine) != ERROR_SUCCESS) {
    machine = nullptr;
  }
  return std::make_unique<WindowsKey>(std::move(own), KeyHandle(machine));
}

bool SystemKey::available() { return true; }

std::unique_ptr<SystemKey> SystemKey::open(Hive hive, const std::string& path) {
  switch (hive) {
    case Hive::ClassesRoot:
      return openSystemKey(HKEY_CLASSES_ROOT, nullptr, path);
    case Hive::CurrentUser:
      return openSystemKey(HKEY_CURRENT_USER, nullptr, path);
    case Hive::LocalMachine:
      break;
  }
  // Opening the machine's key with full access, as the settings dialog
  // does, fails for an ordinary user; the user's own key stands in.
  return openSystemKey(HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, path);
}

}  // namespace pellora::settings
