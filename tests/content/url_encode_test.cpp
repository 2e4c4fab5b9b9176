#include "content/url_encode.h"

#include <gtest/gtest.h>

#include <string>

namespace pellora::content {
namespace {

TEST(UrlEncodeTest, Cases) {
  const std::pair<std::string, std::string> rows[] = {
      {"Sample 1", "Sample%201"}, {"a.b/c", "a%2Eb%2Fc"},
      {"x,y-z_1", "x,y-z_1"},     {"", ""},
      {"~+%", "%7E%2B%25"},       {"a\r\nb", "a%0D%0Ab"},
      {"\xE4\xFF", "%E4%FF"},     {std::string("\0z", 2), "%00z"},
  };
  for (const auto& [value, expected] : rows) EXPECT_EQ(UrlEncode(value), expected) << value;
}

TEST(UrlEncodeTest, EveryByteHasOneForm) {
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    const std::string encoded = UrlEncode(std::string(1, c));
    const bool kept = (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                      b == ',' || b == '-' || b == '_';
    if (kept) {
      EXPECT_EQ(encoded, std::string(1, c));
    } else {
      ASSERT_EQ(encoded.size(), 3u) << b;
      EXPECT_EQ(encoded[0], '%');
      EXPECT_EQ(std::stoi(encoded.substr(1), nullptr, 16), b);
      EXPECT_EQ(encoded.find_first_of("abcdef"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace pellora::content
