// Covered by tests/content/url_encode_test.cpp.
#include "content/url_encode.h"

#include <array>
#include <cstdint>
#include <limits>

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

// What each byte adds to the length: 0 when kept, 2 when it becomes %XX.
constexpr std::array<std::uint8_t, 256> kExtraBytes = [] {
  std::array<std::uint8_t, 256> extra{};
  for (std::size_t c = 0; c < 256; ++c) extra[c] = kKeptAsIs[c] ? 0 : 2;
  return extra;
}();

}  // namespace

std::size_t UrlEncodedSize(std::string_view value) {
  // Four sums side by side: one running sum would wait on itself each byte.
  const auto* bytes = reinterpret_cast<const unsigned char*>(value.data());
  const std::size_t n = value.size();
  std::size_t sums[4] = {};
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    sums[0] += kExtraBytes[bytes[i]];
    sums[1] += kExtraBytes[bytes[i + 1]];
    sums[2] += kExtraBytes[bytes[i + 2]];
    sums[3] += kExtraBytes[bytes[i + 3]];
  }
  for (; i < n; ++i) sums[0] += kExtraBytes[bytes[i]];
  return n + sums[0] + sums[1] + sums[2] + sums[3];
}

EncodedPiece UrlEncodeSomeInto(std::string_view value, char* out, std::size_t capacity) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::size_t taken = 0;
  std::size_t written = 0;
  for (; taken < value.size(); ++taken) {
    const char c = value[taken];
    if (keptAsIs(c)) {
      if (written + 1 > capacity) break;
      out[written++] = c;
    } else {
      if (written + 3 > capacity) break;
      const auto byte = static_cast<unsigned char>(c);
      out[written++] = '%';
      out[written++] = kHex[byte >> 4];
      out[written++] = kHex[byte & 0x0F];
    }
  }
  return {taken, written};
}

char* UrlEncodeInto(std::string_view value, char* out) {
  return out + UrlEncodeSomeInto(value, out, std::numeric_limits<std::size_t>::max()).written;
}

std::string UrlEncode(std::string_view value) {
  std::string result(UrlEncodedSize(value), '\0');
  UrlEncodeInto(value, result.data());
  return result;
}

}  // namespace pellora::content
