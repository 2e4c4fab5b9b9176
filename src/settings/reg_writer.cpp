#include <algorithm>
#include <cstdio>

#include "settings/codepage.h"
#include "settings/reg_file.h"

namespace pellora::settings {

namespace {

std::string quote(std::string_view cp1252) {
  std::string out = "\"";
  for (char c : cp1252ToUtf8(cp1252)) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

std::string hexList(std::string_view bytes) {
  std::string out;
  char pair[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(bytes[i]));
    if (i > 0) out += ',';
    out += pair;
  }
  return out;
}

// UTF-16LE with its terminating NUL, as text types are written in hex form.
std::string utf16Bytes(std::string_view cp1252) {
  std::string out;
  for (char c : cp1252) {
    const char32_t code = cp1252ToUnicode(static_cast<unsigned char>(c));
    out += static_cast<char>(code & 0xFF);
    out += static_cast<char>(code >> 8);
  }
  out.append(2, '\0');
  return out;
}

std::string typedHex(std::uint32_t type, std::string_view bytes) {
  char prefix[24];
  std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(type));
  return prefix + hexList(bytes);
}

bool fitsInQuotes(std::string_view text) {
  return std::none_of(text.begin(), text.end(),
                      [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

std::string formatData(const Value& value) {
  switch (value.type) {
    case ValueType::String:
      // Line breaks and other controls cannot stand inside quotes.
      if (fitsInQuotes(value.data)) return quote(value.data);
      return typedHex(1, utf16Bytes(value.data));
    case ValueType::ExpandString:
      return typedHex(2, utf16Bytes(value.data));
    case ValueType::Binary:
      return "hex:" + hexList(value.data);
    case ValueType::DWord:
      if (const auto number = value.asDword()) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "dword:%08x", static_cast<unsigned>(*number));
        return digits;
      }
      break;
    default:
      break;
  }
  return typedHex(static_cast<std::uint32_t>(value.type), value.data);
}

}  // namespace

std::string formatRegFile(const HiveData& data, Hive hive) {
  std::string out = "Windows Registry Editor Version 5.00\n\n";
  for (const Key* key : data.keys()) {
    // The root key exists implicitly; it needs a section only for its values.
    if (key->path.empty() && key->values.empty()) continue;
    out += '[';
    out += hiveName(hive);
    if (!key->path.empty()) out += '\\' + cp1252ToUtf8(key->path);
    out += "]\n";
    for (const auto& [name, value] : key->values) {
      out += name.empty() ? std::string("@") : quote(name);
      out += '=';
      out += formatData(value);
      out += '\n';
    }
    out += '\n';
  }
  return out;
}

}  // namespace pellora::settings
