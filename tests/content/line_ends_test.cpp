#include "content/line_ends.h"

#include <gtest/gtest.h>

namespace pellora::content {
namespace {

TEST(LineEndsTest, OnlyCrLfPairsBecomeLf) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {"a\r\nb\r\n", "a\nb\n"},
      {"lone\rcr", "lone\rcr"},
      {"\r\r\n\n", "\r\n\n"},
      {"end\r", "end\r"},
      {"no\ncr\tat all", "no\ncr\tat all"},
      {"\r\n\r\nx\ry\r\r\nz\r\n", "\n\nx\ry\r\nz\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(ReduceCrLf(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace pellora::content
