#include "settings/port_text.h"

#include "content/hex_digits.h"

namespace pellora {

namespace {

int digitValue(char c, int base) {
  const int value = content::hexDigitValue(c);
  return value < base ? value : -1;
}

}  // namespace

std::int32_t portFromText(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.starts_with('$') || text.starts_with('x') || text.starts_with('X')) {
    base = 16;
    text.remove_prefix(1);
  } else if (text.starts_with("0x") || text.starts_with("0X")) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return 0;
  // Magnitude of the most negative number; anything beyond does not fit.
  constexpr std::int64_t kLimit = std::int64_t{1} << 31;
  std::int64_t magnitude = 0;
  for (char c : text) {
    const int digit = digitValue(c, base);
    if (digit < 0) return 0;
    magnitude = magnitude * base + digit;
    if (magnitude > kLimit) return 0;
  }
  if (!negative && magnitude == kLimit) return 0;
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace pellora
