#include "exchange/http_text.h"

// Covered through tests/exchange/http_answer_test.cpp and http_cookie tests.

namespace pellora::exchange {

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

std::string asciiLower(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = asciiLower(c);
  return result;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  }
  return true;
}

bool containsIgnoringCase(std::string_view text, std::string_view part) {
  return asciiLower(text).find(asciiLower(part)) != std::string::npos;
}

}  // namespace pellora::exchange
