// The Windows-1252 layer on arbitrary bytes: decoding malformed UTF-8 and
// UTF-16 never fails, and every byte string round-trips through both.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "content/cp1252.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pellora::content;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  check(utf8ToCp1252(cp1252ToUtf8(bytes)) == bytes);
  check(utf16ToCp1252(cp1252ToUtf16(bytes)) == bytes);
  (void)utf8ToCp1252(bytes);
  std::u16string units(size / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  }
  (void)utf16ToCp1252(units);
  return 0;
}
