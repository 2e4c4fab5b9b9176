// Pairs the tokens of a body as its author wrote it with the tokens of the
// engine's serialization of that body, by their canonical keys. Both sides
// have tokens the other lacks (end tags the parser implies or drops, text it
// moves out of a table); the walk takes matching tokens in order and, where
// they differ, looks a bounded distance ahead on both sides for the nearest
// place they agree again, so the cost stays linear in the token count.
#pragma once

#include <cstddef>
#include <limits>
#include <vector>

#include "content/merge_tokens.h"

namespace pellora::content {

inline constexpr std::size_t kNoCounterpart = std::numeric_limits<std::size_t>::max();

// For each engine token, the index of its source token or kNoCounterpart;
// the indices that are not kNoCounterpart increase.
std::vector<std::size_t> AlignTokens(const std::vector<MergeToken>& source,
                                     const std::vector<MergeToken>& engine);

}  // namespace pellora::content
