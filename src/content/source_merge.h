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
#include <optional>
#include <string>
#include <string_view>
#include <utility>
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
  // The stretch of `body` a check must parse, and the stretch of the
  // engine's body it must parse to. Around it lie whole top-level elements
  // of source bytes that parse as they did at load, with a closed element
  // of the source on each side, so a check of the stretch stands for the
  // whole; both stretches are the whole texts when no such margin exists.
  std::size_t checkBegin = 0;
  std::size_t checkEnd = 0;
  std::size_t engineCheckBegin = 0;
  std::size_t engineCheckEnd = 0;
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

  struct SourceSpan {
    std::size_t begin;
    std::size_t end;
  };
  Rescan rescan(std::string_view engineNow) const;
  std::optional<SourceSpan> changedTextSource(const TokenChange& change, const Rescan& now) const;
  struct Copy;
  void placeCheck(const std::vector<TokenChange>& changes, const Rescan& now,
                  const std::vector<Copy>& copies,
                  const std::vector<std::pair<std::size_t, std::size_t>>& lastTokenEnds,
                  MergeResult& result) const;
  enum class BlockEnd { Unclean, Closed, ParagraphLeftOpen };
  BlockEnd cleanBlock(std::size_t begin, std::size_t end,
                      const std::vector<std::size_t>& firstIndex, const Rescan& now) const;
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
  // The source leaves a formatting element (b, font, a, ...) or a form
  // open somewhere: the parser carries it across top-level elements, so
  // only the whole body can be checked.
  bool carriesOpenElements_ = false;
  // Per index i in [0, n]: the first paired token at or after i, and the
  // first whose gap is not clean; n when there is none.
  std::vector<std::size_t> nextPaired_;
  std::vector<std::size_t> nextUnclean_;
  // Per index i: the last paired token at or before i, or kNoCounterpart.
  std::vector<std::size_t> lastPaired_;
};

}  // namespace pellora::content
