// What the visual view hands out keeps the author's bytes. For each
// document put into the view, the keeper shields the markup the engine
// cannot hold (protected_blocks.h) and remembers the body as written; once
// the engine has parsed it, the body it serialises is turned back into the
// author's spelling wherever the user changed nothing (source_merge.h).
//
// Nothing handed out may render differently from what the user sees: each
// merged body is checked by the caller's `parsesTo` (the engine parses the
// text and compares with its current body); a failed check retries with
// whole top-level blocks in the engine's form, and last hands out the
// engine's body itself. Every such fallback is counted. Only the stretch
// around the changes is checked where closed elements of the author's bytes
// bound it (source_merge.h).
//
// All text is Windows-1252, in the form the surface hands out (local files
// as file:/// addresses); bodies from the engine hold the stand-ins.
//
// Covered by tests/content/source_keeper_test.cpp.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "content/protected_blocks.h"

namespace pellora::content {

class SourceMergeBase;

class SourceKeeper {
 public:
  SourceKeeper();
  ~SourceKeeper();
  SourceKeeper(const SourceKeeper&) = delete;
  SourceKeeper& operator=(const SourceKeeper&) = delete;

  // A document is put into the view: the text the engine gets instead.
  std::string put(std::string_view document);
  // The blocks of the latest put, for the page's chips.
  const ShieldedText& shielded() const { return shielded_; }

  // The engine parsed the latest put; `engineFirst` reads its body as first
  // serialised (asked only when a body is first handed out).
  void loaded(std::function<std::string()> engineFirst);

  // Whether the engine parses `text`, as the contents of a body, to exactly
  // `expected`.
  using ParseCheck = std::function<bool(std::string_view text, std::string_view expected)>;

  // The body to hand out for the engine's current body `engineNow`, blocks
  // restored.
  std::string body(const std::string& engineNow, const ParseCheck& parsesTo);

  // Any engine text with the blocks put back.
  std::string restore(std::string_view text) const { return RestoreBlocks(text, shielded_); }

  // How often a merged body failed its check since the keeper was made.
  unsigned fallbacks() const { return fallbacks_; }

 private:
  ShieldedText shielded_;
  std::string sourceBody_;
  std::function<std::string()> engineFirst_;
  std::unique_ptr<SourceMergeBase> base_;
  unsigned fallbacks_ = 0;
};

// The contents of the body element of `document`: from the end of the first
// body start tag to the last body end tag (any letter case); the whole text
// when it has no body start tag.
std::string_view BodyContents(std::string_view document);

}  // namespace pellora::content
