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
  };
  for (const auto& c : cases) EXPECT_EQ(ReduceCrLf(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace pellora::content
