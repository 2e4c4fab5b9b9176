// Covered by tests/content/source_merge_test.cpp.
#include "content/token_diff.h"

#include <algorithm>
#include <cstdint>

namespace pellora::content {

namespace {

using Index = std::int64_t;

// Marks the tokens on the shortest edit path (Myers' greedy forward search,
// keeping each round's frontier for the walk back); false when the path
// costs more than `maxCost`.
bool markEdits(std::span<const std::string_view> a, std::span<const std::string_view> b,
               Index maxCost, std::vector<bool>& aChanged, std::vector<bool>& bChanged) {
  const Index n = static_cast<Index>(a.size());
  const Index m = static_cast<Index>(b.size());
  const Index limit = std::min(n + m, maxCost);
  std::vector<Index> v(static_cast<std::size_t>(2 * limit + 3), 0);
  const Index mid = limit + 1;
  auto at = [&](Index k) -> Index& { return v[static_cast<std::size_t>(mid + k)]; };
  // Round d's frontier for diagonals -d..d, one after another.
  std::vector<Index> history;
  auto saved = [&](Index d, Index k) {
    return history[static_cast<std::size_t>(d * d + (k + d))];  // rounds 0..d-1 take d*d slots
  };
  Index found = -1;
  for (Index d = 0; d <= limit && found < 0; ++d) {
    for (Index k = -d; k <= d; k += 2) {
      Index x = (k == -d || (k != d && at(k - 1) < at(k + 1))) ? at(k + 1) : at(k - 1) + 1;
      Index y = x - k;
      while (x < n && y < m && a[static_cast<std::size_t>(x)] == b[static_cast<std::size_t>(y)]) {
        ++x;
        ++y;
      }
      at(k) = x;
      if (x >= n && y >= m) found = d;
    }
    for (Index k = -d; k <= d; ++k) history.push_back(at(k));
  }
  if (found < 0) return false;
  Index x = n;
  Index y = m;
  for (Index d = found; d > 0; --d) {
    const Index k = x - y;
    const bool down = k == -d || (k != d && saved(d - 1, k - 1) < saved(d - 1, k + 1));
    const Index previousK = down ? k + 1 : k - 1;
    const Index previousX = saved(d - 1, previousK);
    const Index previousY = previousX - previousK;
    if (down) {
      bChanged[static_cast<std::size_t>(previousY)] = true;
    } else {
      aChanged[static_cast<std::size_t>(previousX)] = true;
    }
    x = previousX;
    y = previousY;
  }
  return true;
}

}  // namespace

std::vector<TokenChange> DiffTokens(std::span<const std::string_view> before,
                                    std::span<const std::string_view> after, std::size_t maxCost) {
  std::size_t head = 0;
  while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
  std::size_t tail = 0;
  while (tail < before.size() - head && tail < after.size() - head &&
         before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
    ++tail;
  }
  const auto a = before.subspan(head, before.size() - head - tail);
  const auto b = after.subspan(head, after.size() - head - tail);
  if (a.empty() && b.empty()) return {};

  std::vector<bool> aChanged(a.size(), false);
  std::vector<bool> bChanged(b.size(), false);
  if (!markEdits(a, b, static_cast<Index>(maxCost), aChanged, bChanged)) {
    return {TokenChange{head, head + a.size(), head, head + b.size()}};
  }
  // Unchanged tokens pair up in order; what lies between pairs is one change.
  std::vector<TokenChange> changes;
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() || j < b.size()) {
    if (i < a.size() && j < b.size() && !aChanged[i] && !bChanged[j]) {
      ++i;
      ++j;
      continue;
    }
    TokenChange change{head + i, 0, head + j, 0};
    while (i < a.size() && aChanged[i]) ++i;
    while (j < b.size() && bChanged[j]) ++j;
    change.oldEnd = head + i;
    change.newEnd = head + j;
    if (change.oldEnd == change.oldBegin && change.newEnd == change.newBegin) {
      // Only reachable if the marks disagree; the rest then counts as changed.
      changes.push_back(TokenChange{head + i, head + a.size(), head + j, head + b.size()});
      break;
    }
    changes.push_back(change);
  }
  return changes;
}

}  // namespace pellora::content
