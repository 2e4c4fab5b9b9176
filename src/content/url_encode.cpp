// Covered by tests/content/url_encode_test.cpp.
#include "content/url_encode.h"

#include <array>

namespace pellora::content {

namespace {

// Bytes that stay as they are, as a table: the encoder runs over whole
// bodies.
constexpr std::array<bool, 256> kKeptAsIs = [] {
  std::array<bool, 256> kept{};
  for (int c = 0; c < 256; ++c) {
    kept[static_cast<std::size_t>(c)] = c == ',' || c == '-' || c == '_' ||
                                        (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                                        (c >= 'a' && c <= 'z');
  }
  return kept;
}();

bool keptAsIs(char c) { return kKeptAsIs[static_cast<unsigned char>(c)]; }

}  // namespace

std::size_t UrlEncodedSize(std::string_view value) {
  std::size_t size = value.size();
  for (char c : value) size += keptAsIs(c) ? 0 : 2;
  return size;
}

char* UrlEncodeInto(std::string_view value, char* out) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (char c : value) {
    if (keptAsIs(c)) {
      *out++ = c;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      *out++ = '%';
      *out++ = kHex[byte >> 4];
      *out++ = kHex[byte & 0x0F];
    }
  }
  return out;
}

std::string UrlEncode(std::string_view value) {
  std::string result(UrlEncodedSize(value), '\0');
  UrlEncodeInto(value, result.data());
  return result;
}

}  // namespace pellora::content
