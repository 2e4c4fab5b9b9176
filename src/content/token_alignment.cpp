// Covered by tests/content/source_merge_test.cpp (the no-edit fixed point
// over legacy spellings).
#include "content/token_alignment.h"

#include <optional>

namespace pellora::content {

namespace {

// How far ahead (source skips plus engine skips) the walk looks for a place
// where the two sides agree again. Implied and stray tags need one or two.
constexpr std::size_t kLookAhead = 24;

// A place to resume: skip `source` source tokens and `engine` engine tokens.
struct Skip {
  std::size_t source;
  std::size_t engine;
};

class Walk {
 public:
  Walk(const std::vector<MergeToken>& source, const std::vector<MergeToken>& engine)
      : source_(source), engine_(engine), counterpart_(engine.size(), kNoCounterpart) {}

  std::vector<std::size_t> run() {
    while (s_ < source_.size() && e_ < engine_.size()) {
      if (same(s_, e_)) {
        counterpart_[e_++] = s_++;
        clearBelow_ = 1;
        continue;
      }
      if (const std::optional<Skip> skip = resync()) {
        s_ += skip->source;
        e_ += skip->engine;
        clearBelow_ = 1;
      } else {
        // Nothing agrees nearby: both tokens stay without counterpart. One
        // step on along both sides, the pairs up to two short of the
        // look-ahead are known to differ, so the next search starts there.
        ++s_;
        ++e_;
        clearBelow_ = kLookAhead - 1;
      }
    }
    return std::move(counterpart_);
  }

 private:
  bool same(std::size_t s, std::size_t e) const { return source_[s].key == engine_[e].key; }

  // Whether the token after a candidate pair agrees too (or a side ends), so
  // a lone common token such as an end tag does not pull the walk astray.
  bool confirmed(std::size_t s, std::size_t e) const {
    return s + 1 >= source_.size() || e + 1 >= engine_.size() || same(s + 1, e + 1);
  }

  // The nearest skip after which the sides agree, preferring a confirmed one.
  std::optional<Skip> resync() const {
    std::optional<Skip> unconfirmed;
    for (std::size_t distance = clearBelow_; distance <= kLookAhead; ++distance) {
      for (std::size_t a = 0; a <= distance; ++a) {
        const std::size_t s = s_ + a;
        const std::size_t e = e_ + (distance - a);
        if (s >= source_.size() || e >= engine_.size() || !same(s, e)) continue;
        if (confirmed(s, e)) return Skip{a, distance - a};
        if (!unconfirmed) unconfirmed = Skip{a, distance - a};
      }
    }
    return unconfirmed;
  }

  const std::vector<MergeToken>& source_;
  const std::vector<MergeToken>& engine_;
  std::vector<std::size_t> counterpart_;
  std::size_t s_ = 0;
  std::size_t e_ = 0;
  // Distances from the current pair below this are known to hold no match.
  std::size_t clearBelow_ = 1;
};

}  // namespace

std::vector<std::size_t> AlignTokens(const std::vector<MergeToken>& source,
                                     const std::vector<MergeToken>& engine) {
  return Walk(source, engine).run();
}

}  // namespace pellora::content
