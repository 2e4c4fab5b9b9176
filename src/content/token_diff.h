// The changes between two token sequences of the engine's own serialization,
// compared by their exact text: common ends first, then the fewest token
// deletions plus insertions for the rest, up to a cost cap beyond which the
// whole rest counts as one change (the caller then emits it as it stands).
#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace pellora::content {

// Old tokens [oldBegin, oldEnd) are replaced by new tokens [newBegin, newEnd).
struct TokenChange {
  std::size_t oldBegin = 0;
  std::size_t oldEnd = 0;
  std::size_t newBegin = 0;
  std::size_t newEnd = 0;
};

// In order and not touching each other; empty when the sequences are equal.
std::vector<TokenChange> DiffTokens(std::span<const std::string_view> before,
                                    std::span<const std::string_view> after, std::size_t maxCost);

}  // namespace pellora::content
