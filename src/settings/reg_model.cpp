#include <algorithm>

#include "settings/codepage.h"
#include "settings/reg_file.h"

namespace pellora::settings {

std::string_view hiveName(Hive hive) {
  switch (hive) {
    case Hive::ClassesRoot:
      return "HKEY_CLASSES_ROOT";
    case Hive::CurrentUser:
      return "HKEY_CURRENT_USER";
    case Hive::LocalMachine:
      return "HKEY_LOCAL_MACHINE";
  }
  return {};
}

Value Value::dword(std::uint32_t number) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  return {ValueType::DWord, std::move(bytes)};
}

std::optional<std::uint32_t> Value::asDword() const {
  if (type != ValueType::DWord || data.size() != 4) return std::nullopt;
  std::uint32_t number = 0;
  for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(data[i]);
  return number;
}

namespace {

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return foldCp1252(static_cast<unsigned char>(x)) ==
                  foldCp1252(static_cast<unsigned char>(y));
         });
}

bool hasControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

std::string_view parentOf(std::string_view path) {
  const auto slash = path.rfind('\\');
  return slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash);
}

}  // namespace

const Value* Key::find(std::string_view name) const {
  for (const auto& [valueName, value] : values) {
    if (sameName(valueName, name)) return &value;
  }
  return nullptr;
}

void Key::set(const std::string& name, Value value) {
  for (auto& entry : values) {
    if (sameName(entry.first, name)) {
      entry.second = std::move(value);
      return;
    }
  }
  values.emplace_back(name, std::move(value));
}

bool Key::erase(std::string_view name) {
  return std::erase_if(values, [&](const auto& entry) { return sameName(entry.first, name); }) > 0;
}

bool isValidKeyPath(std::string_view path) {
  if (path.empty()) return true;
  if (hasControlCharacter(path) || path.front() == '\\' || path.back() == '\\') return false;
  return path.find("\\\\") == std::string_view::npos;
}

bool isValidValueName(std::string_view name) { return !hasControlCharacter(name); }

// Parents sort before their children when the separator sorts first.
bool HiveData::PathOrder::operator()(const std::string& a, const std::string& b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto rank = [](char c) { return c == '\\' ? 0 : static_cast<unsigned char>(c) + 1; };
    return rank(x) < rank(y);
  });
}

HiveData::HiveData() { keys_.emplace("", Key{}); }

Key* HiveData::findKey(std::string_view path) {
  const auto it = keys_.find(foldCase(path));
  return it == keys_.end() ? nullptr : &it->second;
}

const Key* HiveData::findKey(std::string_view path) const {
  const auto it = keys_.find(foldCase(path));
  return it == keys_.end() ? nullptr : &it->second;
}

Key* HiveData::createKey(std::string_view path) {
  if (!isValidKeyPath(path)) return nullptr;
  if (Key* existing = findKey(path)) return existing;
  createKey(parentOf(path));
  auto [it, inserted] = keys_.emplace(foldCase(path), Key{std::string(path), {}});
  return &it->second;
}

bool HiveData::deleteKey(std::string_view path) {
  const std::string folded = foldCase(path);
  const auto it = keys_.find(folded);
  if (it == keys_.end()) return false;
  if (folded.empty()) {
    keys_.clear();
    keys_.emplace("", Key{});
    return true;
  }
  const std::string prefix = folded + '\\';
  std::erase_if(keys_, [&](const auto& entry) {
    return entry.first == folded || entry.first.starts_with(prefix);
  });
  return true;
}

std::vector<std::string> HiveData::subkeys(std::string_view path) const {
  std::vector<std::string> names;
  const std::string folded = foldCase(path);
  for (const auto& [foldedPath, key] : keys_) {
    if (foldedPath.empty() || foldCase(parentOf(foldedPath)) != folded) continue;
    const auto slash = key.path.rfind('\\');
    names.push_back(slash == std::string::npos ? key.path : key.path.substr(slash + 1));
  }
  return names;
}

std::vector<const Key*> HiveData::keys() const {
  std::vector<const Key*> result;
  result.reserve(keys_.size());
  for (const auto& entry : keys_) result.push_back(&entry.second);
  return result;
}

bool HiveData::operator==(const HiveData& other) const {
  return std::equal(keys_.begin(), keys_.end(), other.keys_.begin(), other.keys_.end(),
                    [](const auto& a, const auto& b) { return a.second == b.second; });
}

}  // namespace pellora::settings
