// Covered by tests/content/source_keeper_test.cpp.
#include "content/source_keeper.h"

#include "content/source_merge.h"

namespace pellora::content {

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Where `word` (lower case) starts at `from` or later, ignoring case, followed
// by a byte that ends a tag name; npos when nowhere.
std::size_t findTag(std::string_view text, std::string_view word, std::size_t from = 0) {
  for (std::size_t at = text.find('<', from); at != std::string_view::npos;
       at = text.find('<', at + 1)) {
    if (text.size() - at <= word.size()) return std::string_view::npos;
    bool same = true;
    for (std::size_t i = 0; same && i < word.size(); ++i) same = lower(text[at + i]) == word[i];
    const char next = text[at + word.size()];
    if (same && (next == '>' || next == ' ' || next == '\t' || next == '\r' || next == '\n' ||
                 next == '\f' || next == '/')) {
      return at;
    }
  }
  return std::string_view::npos;
}

}  // namespace

std::string_view BodyContents(std::string_view document) {
  const std::size_t start = findTag(document, "<body");
  if (start == std::string_view::npos) return document;
  std::size_t open = document.find('>', start);
  if (open == std::string_view::npos) return {};
  ++open;
  std::size_t close = std::string_view::npos;
  for (std::size_t at = findTag(document, "</body", open); at != std::string_view::npos;
       at = findTag(document, "</body", at + 1)) {
    close = at;
  }
  if (close == std::string_view::npos) close = document.size();
  return document.substr(open, close - open);
}

SourceKeeper::SourceKeeper() = default;
SourceKeeper::~SourceKeeper() = default;

std::string SourceKeeper::put(std::string_view document) {
  shielded_ = ShieldBlocks(document);
  sourceBody_ = std::string(BodyContents(shielded_.text));
  engineFirst_ = nullptr;
  base_.reset();
  return shielded_.text;
}

void SourceKeeper::loaded(std::function<std::string()> engineFirst) {
  engineFirst_ = std::move(engineFirst);
  base_.reset();
}

std::string SourceKeeper::body(const std::string& engineNow, const ParseCheck& parsesTo) {
  if (!engineFirst_) return restore(engineNow);
  if (!base_) base_ = std::make_unique<SourceMergeBase>(sourceBody_, engineFirst_());
  // Untouched: what was put is what the engine holds.
  if (engineNow == base_->engineFirst()) return restore(sourceBody_);
  for (const MergeGranularity granularity :
       {MergeGranularity::Tokens, MergeGranularity::TopLevelBlocks}) {
    const MergeResult merged = base_->merge(engineNow, granularity);
    const std::string_view check =
        std::string_view(merged.body)
            .substr(merged.checkBegin, merged.checkEnd - merged.checkBegin);
    const std::string_view expected = std::string_view(engineNow).substr(
        merged.engineCheckBegin, merged.engineCheckEnd - merged.engineCheckBegin);
    if (merged.body == engineNow || check == expected || parsesTo(check, expected)) {
      return restore(merged.body);
    }
    ++fallbacks_;
  }
  return restore(engineNow);
}

}  // namespace pellora::content
