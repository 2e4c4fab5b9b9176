// Keeps the author's bytes where the user changed nothing. The visual view
// hands back the engine's serialization of the body, which respells all of
// it (letter case, quoting, references, implied tbody and end tags). A base
// built at load time pairs the loaded body with the engine's first
// serialization of it; each later serialization is compared with that first
// one, and only the changed stretches take the engine's form, everything
// else is copied from the loaded body.
//
// The result is a proposal: the caller has the engine parse it and compares
// the document with what the engine holds, retrying with TopLevelBlocks and
// at last taking the serialization itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "content/merge_tokens.h"
#include "content/token_diff.h"

namespace pellora::content {

enum class MergeGranularity {
  Tokens,          // each changed run of tokens on its own
  TopLevelBlocks,  // changes widened to whole top-level nodes of the body
};

struct MergeResult {
  std::string body;
  std::size_t preservedBytes = 0;  // bytes copied from the source
  std::size_t engineRegions = 0;   // regions emitted in the engine's form
};

class SourceMergeBase {
 public:
  // `source`: the body as loaded; `engineFirst`: the engine's serialization
  // of it right after it parsed it.
  SourceMergeBase(std::string source, std::string engineFirst);

  // The body for the engine's current serialization `engineNow`.
  MergeResult merge(std::string_view engineNow, MergeGranularity granularity) const;

  const std::string& source() const { return source_; }
  const std::string& engineFirst() const { return engineFirst_; }

 private:
  struct Rescan;
  class Emitter;

  Rescan rescan(std::string_view engineNow) const;
  void slideToWholeElements(std::vector<TokenChange>& changes, const Rescan& now) const;
  std::vector<TokenChange> widenToTopLevel(const std::vector<TokenChange>& changes,
                                           const Rescan& now) const;

  std::string source_;
  std::string engineFirst_;
  std::vector<MergeToken> sourceTokens_;
  std::vector<MergeToken> engineTokens_;
  // Per engine token: its source token, or kNoCounterpart.
  std::vector<std::size_t> counterpart_;
  // Per paired engine token: the unpaired tokens on both sides since the
  // previous pair carry no content, so the source bytes between the two
  // pairs stand for the engine tokens between them.
  std::vector<bool> cleanGapBefore_;
  bool cleanTail_ = true;  // the same after the last pair, to the ends
  // Per index i in [0, n]: the first paired token at or after i, and the
  // first whose gap is not clean; n when there is none.
  std::vector<std::size_t> nextPaired_;
  std::vector<std::size_t> nextUnclean_;
  // Per index i: the last paired token at or before i, or kNoCounterpart.
  std::vector<std::size_t> lastPaired_;
};

}  // namespace pellora::content
