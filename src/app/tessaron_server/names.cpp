// Covered by tests/app/tessaron_server_test.cpp (Names*).
#include "app/tessaron_server/names.h"

#include "app/tessaron_server/http_request.h"

namespace pellora::tessaron {

bool isSafeFileName(std::string_view name) {
  if (name.empty() || name.size() > kMaxFileNameBytes || name.front() == '.') return false;
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || c == '/' || c == '\\') return false;
  }
  return true;
}

std::string contentFileName(std::string_view contentName) {
  return std::string(contentName) + ".html";
}

std::string_view uploadBaseName(std::string_view filename) {
  const std::size_t slash = filename.find_last_of("\\/");
  return slash == std::string_view::npos ? filename : filename.substr(slash + 1);
}

std::string_view imageTypeOf(std::string_view name) {
  const std::size_t point = name.rfind('.');
  if (point == std::string_view::npos) return {};
  const std::string_view extension = name.substr(point + 1);
  struct Type {
    std::string_view extension, type;
  };
  static constexpr Type kTypes[] = {
      {"gif", "image/gif"},   {"png", "image/png"}, {"jpg", "image/jpeg"},
      {"jpeg", "image/jpeg"}, {"bmp", "image/bmp"}, {"webp", "image/webp"},
  };
  for (const Type& t : kTypes) {
    if (equalsIgnoreCase(extension, t.extension)) return t.type;
  }
  return {};
}

bool namesContentFile(std::string_view name) {
  return name.size() >= 5 && equalsIgnoreCase(name.substr(name.size() - 5), ".html");
}

bool tokenMatches(std::string_view presented, std::string_view expected) {
  unsigned difference = presented.size() == expected.size() ? 0 : 1;
  for (std::size_t i = 0; i < presented.size(); ++i) {
    const char other = i < expected.size() ? expected[i] : '\0';
    difference |= static_cast<unsigned char>(presented[i] ^ other);
  }
  return difference == 0 && !expected.empty();
}

bool isUsableToken(std::string_view token) {
  if (token.empty()) return false;
  for (char c : token) {
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F ||
        std::string_view("+%&=").find(c) != std::string_view::npos) {
      return false;
    }
  }
  return true;
}

}  // namespace pellora::tessaron
