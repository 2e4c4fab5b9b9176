// Covered by tests/content/source_merge_test.cpp and fuzz/fuzz_source_merge.cpp.
#include "content/source_merge.h"

#include <algorithm>
#include <utility>

#include "content/token_alignment.h"

namespace pellora::content {

namespace {

// Beyond this many token insertions plus deletions between the first and the
// current serialization, the changed middle is taken whole.
constexpr std::size_t kMaxEditCost = 400;

// How far a deletion or insertion is slid along equal tokens in search of
// a place where it holds whole elements.
constexpr std::size_t kMaxSlide = 64;

// How many times the end of the changed middle is moved on when the rescan
// does not end cleanly there, before the rest of the text is rescanned.
constexpr int kResumeAttempts = 3;

bool allContentless(const std::vector<MergeToken>& tokens, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i) {
    if (!tokens[i].contentless) return false;
  }
  return true;
}

std::string_view textOf(std::string_view text, const MergeToken& token) {
  return text.substr(token.begin, token.end - token.begin);
}

// Whether a scan of the whole text would also end a token at the end of the
// scanned slice: the last token ends there by itself (a text ends there
// because markup follows, which the caller ensures).
bool endsCleanly(const std::vector<MergeToken>& tokens, std::size_t sliceBegin,
                 std::size_t sliceEnd) {
  if (tokens.empty()) return sliceBegin == sliceEnd;
  const MergeToken& last = tokens.back();
  if (last.end != sliceEnd) return false;  // a tag cut off by the slice's end
  if (last.closed) return true;
  if (last.kind != HtmlTokenKind::Text) return false;
  // Text right after a script, style, ... start tag runs on to its end tag.
  const bool rawText = tokens.size() >= 2 &&
                       tokens[tokens.size() - 2].kind == HtmlTokenKind::StartTag &&
                       !tokens[tokens.size() - 2].closed;
  return !rawText;
}

}  // namespace

// The current serialization as tokens: those before `firstChanged` are the
// first serialization's (same bytes), those from `resume` on too (shifted by
// `shift` bytes); only the middle was scanned.
struct SourceMergeBase::Rescan {
  std::string_view now;
  const std::vector<MergeToken>* first = nullptr;
  std::size_t firstChanged = 0;
  std::size_t resume = 0;
  std::ptrdiff_t shift = 0;
  std::vector<MergeToken> middle;

  std::size_t count() const { return firstChanged + middle.size() + (first->size() - resume); }

  MergeToken at(std::size_t i) const {
    if (i < firstChanged) return (*first)[i];
    if (i - firstChanged < middle.size()) return middle[i - firstChanged];
    MergeToken token = (*first)[i - firstChanged - middle.size() + resume];
    token.begin = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(token.begin) + shift);
    token.end = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(token.end) + shift);
    return token;
  }
};

struct SourceMergeBase::Copy {
  std::size_t sourceBegin;
  std::size_t sourceEnd;
  std::size_t outBegin;
};

class SourceMergeBase::Emitter {
 public:
  Emitter(const SourceMergeBase& base, const Rescan& now, MergeResult& out)
      : base_(base), now_(now), out_(out) {}

  // Engine tokens [from, to), unchanged; `first` and `last` when the run
  // starts or ends the body. Next to a change of text alone, the parser's
  // context is the same before and after, so what it implied there stays
  // implied: the run's source bytes then begin at `sourceFrom` (the end of
  // the changed text's source) or end at `sourceTo` (its start).
  void keep(std::size_t from, std::size_t to, bool first, bool last,
            std::optional<std::size_t> sourceFrom = std::nullopt,
            std::optional<std::size_t> sourceTo = std::nullopt) {
    const std::size_t paired = base_.nextPaired_[from];
    if (paired >= to) {
      if (first && last && base_.cleanTail_) {
        copySource(0, base_.source_.size());
      } else if (sourceFrom && sourceTo && *sourceFrom <= *sourceTo && from < to &&
                 allImplied(from, to)) {
        copySource(*sourceFrom, *sourceTo);
      } else {
        engineTokens(from, to);
      }
      return;
    }
    const std::size_t lastPaired = base_.lastPaired_[to - 1];
    std::size_t spanBegin = 0;
    if (sourceFrom && *sourceFrom <= sourceToken(paired).begin && allImplied(from, paired)) {
      spanBegin = *sourceFrom;
    } else if (!(first && base_.cleanGapBefore_[paired])) {
      // Tokens the engine implied before the run's first pair close or open
      // what the changed region next to them needs.
      engineTokens(from, paired);
      spanBegin = sourceToken(paired).begin;
    }
    for (std::size_t at = base_.nextUnclean_[paired + 1]; at <= lastPaired;
         at = base_.nextUnclean_[at + 1]) {
      // The sides do not agree between the previous pair and this one: the
      // engine's form stands in for both.
      const std::size_t previous = base_.lastPaired_[at - 1];
      copySource(spanBegin, sourceToken(previous).end);
      engineTokens(previous + 1, at);
      spanBegin = sourceToken(at).begin;
    }
    if (last && base_.cleanTail_) {
      copySource(spanBegin, base_.source_.size());
    } else if (sourceTo && *sourceTo >= sourceToken(lastPaired).end &&
               allImplied(lastPaired + 1, to)) {
      copySource(spanBegin, *sourceTo);
    } else {
      copySource(spanBegin, sourceToken(lastPaired).end);
      engineTokens(lastPaired + 1, to);
    }
  }

  // Current tokens [from, to), changed.
  void changed(std::size_t from, std::size_t to) {
    if (from >= to) return;
    const std::size_t begin = now_.at(from).begin;
    const std::size_t end = now_.at(to - 1).end;
    engine(now_.now.substr(begin, end - begin));
  }

 private:
  // The engine tokens [from, to) are tags the parser implied, none of them
  // paired with source.
  bool allImplied(std::size_t from, std::size_t to) const {
    for (std::size_t i = from; i < to; ++i) {
      if (base_.counterpart_[i] != kNoCounterpart ||
          base_.engineTokens_[i].kind == HtmlTokenKind::Text) {
        return false;
      }
    }
    return true;
  }

  const MergeToken& sourceToken(std::size_t engineIndex) const {
    return base_.sourceTokens_[base_.counterpart_[engineIndex]];
  }

  void copySource(std::size_t begin, std::size_t end) {
    if (begin >= end) return;
    copies_.push_back({begin, end, out_.body.size()});
    out_.body.append(base_.source_, begin, end - begin);
    out_.preservedBytes += end - begin;
    engineLast_ = false;
  }

  void engineTokens(std::size_t from, std::size_t to) {
    if (from >= to) return;
    const std::size_t begin = base_.engineTokens_[from].begin;
    engine(std::string_view(base_.engineFirst_)
               .substr(begin, base_.engineTokens_[to - 1].end - begin));
    lastTokenEnds_.push_back({to - 1, out_.body.size()});
  }

  void engine(std::string_view text) {
    if (text.empty()) return;
    if (!engineLast_) ++out_.engineRegions;
    engineLast_ = true;
    out_.body += text;
  }

  const SourceMergeBase& base_;
  const Rescan& now_;
  MergeResult& out_;
  bool engineLast_ = false;

 public:
  // Where each stretch of source bytes went in the result.
  std::vector<Copy> copies_;
  // Where the last token of each run of the first serialization's tokens
  // written in the engine's form ends in the result.
  std::vector<std::pair<std::size_t, std::size_t>> lastTokenEnds_;
};

SourceMergeBase::SourceMergeBase(std::string source, std::string engineFirst)
    : source_(std::move(source)), engineFirst_(std::move(engineFirst)) {
  sourceTokens_ = ScanMergeTokens(source_, 0, MergeKeys::Canonical);
  engineTokens_ = ScanMergeTokens(engineFirst_, 0, MergeKeys::Canonical);
  counterpart_ = AlignTokens(sourceTokens_, engineTokens_);

  const std::size_t n = engineTokens_.size();
  cleanGapBefore_.assign(n, false);
  lastPaired_.assign(n, kNoCounterpart);
  std::size_t engineFrom = 0;
  std::size_t sourceFrom = 0;
  for (std::size_t e = 0; e < n; ++e) {
    const std::size_t s = counterpart_[e];
    if (s != kNoCounterpart) {
      cleanGapBefore_[e] = allContentless(engineTokens_, engineFrom, e) &&
                           allContentless(sourceTokens_, sourceFrom, s);
      engineFrom = e + 1;
      sourceFrom = s + 1;
    }
    lastPaired_[e] = s != kNoCounterpart ? e : (e > 0 ? lastPaired_[e - 1] : kNoCounterpart);
  }
  static constexpr std::string_view kCarried[] = {
      "</a>", "</b>",     "</big>",    "</code>",   "</em>", "</font>", "</i>",   "</nobr>",
      "</s>", "</small>", "</strike>", "</strong>", "</tt>", "</u>",    "</form>"};
  for (std::size_t e = 0; e < n && !carriesOpenElements_; ++e) {
    if (counterpart_[e] != kNoCounterpart || engineTokens_[e].kind != HtmlTokenKind::EndTag)
      continue;
    const std::string_view text = textOf(engineFirst_, engineTokens_[e]);
    for (std::string_view carried : kCarried) carriesOpenElements_ |= text == carried;
  }
  cleanTail_ = allContentless(engineTokens_, engineFrom, n) &&
               allContentless(sourceTokens_, sourceFrom, sourceTokens_.size());

  nextPaired_.assign(n + 1, n);
  nextUnclean_.assign(n + 1, n);
  for (std::size_t e = n; e-- > 0;) {
    const bool paired = counterpart_[e] != kNoCounterpart;
    nextPaired_[e] = paired ? e : nextPaired_[e + 1];
    nextUnclean_[e] = paired && !cleanGapBefore_[e] ? e : nextUnclean_[e + 1];
  }
}

SourceMergeBase::Rescan SourceMergeBase::rescan(std::string_view now) const {
  const std::string_view first = engineFirst_;
  Rescan result;
  result.now = now;
  result.first = &engineTokens_;
  result.shift =
      static_cast<std::ptrdiff_t>(now.size()) - static_cast<std::ptrdiff_t>(first.size());
  const std::size_t n = engineTokens_.size();

  const std::size_t shorter = std::min(first.size(), now.size());
  const std::size_t prefix = static_cast<std::size_t>(
      std::mismatch(first.begin(), first.begin() + static_cast<std::ptrdiff_t>(shorter),
                    now.begin())
          .first -
      first.begin());
  if (prefix == first.size() && prefix == now.size()) {
    result.firstChanged = result.resume = n;
    return result;
  }
  // Rescan from the token holding the last common byte, or earlier, from
  // just after a token that ended by itself, so the rescan reads what a scan
  // of the whole text would.
  std::size_t firstChanged = 0;
  if (prefix > 0) {
    const auto holding =
        std::upper_bound(engineTokens_.begin(), engineTokens_.end(), prefix - 1,
                         [](std::size_t at, const MergeToken& token) { return at < token.begin; });
    firstChanged = static_cast<std::size_t>(holding - engineTokens_.begin());
    if (firstChanged > 0) --firstChanged;
  }
  while (firstChanged > 0 && !engineTokens_[firstChanged - 1].closed) --firstChanged;
  result.firstChanged = firstChanged;
  const std::size_t rescanBegin = firstChanged < n ? engineTokens_[firstChanged].begin : 0;

  std::size_t suffix = 0;
  while (suffix < shorter - prefix &&
         first[first.size() - 1 - suffix] == now[now.size() - 1 - suffix]) {
    ++suffix;
  }
  // Resume at a markup token inside the common end: a scan reaches it in the
  // same state in both texts once the rescanned middle ends cleanly before it.
  std::size_t resume = static_cast<std::size_t>(
      std::lower_bound(engineTokens_.begin(), engineTokens_.end(), first.size() - suffix,
                       [](const MergeToken& token, std::size_t at) { return token.begin < at; }) -
      engineTokens_.begin());
  for (int attempt = 0; attempt < kResumeAttempts; ++attempt) {
    while (resume < n && engineTokens_[resume].kind == HtmlTokenKind::Text) ++resume;
    if (resume >= n) break;
    const std::size_t end = static_cast<std::size_t>(
        static_cast<std::ptrdiff_t>(engineTokens_[resume].begin) + result.shift);
    result.middle =
        ScanMergeTokens(now.substr(rescanBegin, end - rescanBegin), rescanBegin, MergeKeys::None);
    if (endsCleanly(result.middle, rescanBegin, end)) {
      result.resume = resume;
      return result;
    }
    ++resume;
  }
  result.middle = ScanMergeTokens(now.substr(rescanBegin), rescanBegin, MergeKeys::None);
  result.resume = n;
  return result;
}

// A run of tokens holds whole elements when it closes nothing it did not open
// and leaves nothing open.
template <typename TokenAt>
bool holdsWholeElements(std::size_t begin, std::size_t end, const TokenAt& tokenAt) {
  long depth = 0;
  for (std::size_t i = begin; i < end; ++i) {
    depth += tokenAt(i).depthStep;
    if (depth < 0) return false;
  }
  return depth == 0;
}

// A pure deletion (or insertion) between equal tokens can sit at several
// places with the same result: "<p>a</p><p>" deleted before "b</p>" is
// also "<p>a</p>" deleted before "<p>b</p>". The place that holds whole
// elements keeps the neighbours' own tags paired with their source bytes.
void SourceMergeBase::slideToWholeElements(std::vector<TokenChange>& changes,
                                           const Rescan& now) const {
  for (std::size_t c = 0; c < changes.size(); ++c) {
    TokenChange& change = changes[c];
    const bool deletion = change.newBegin == change.newEnd;
    if (deletion == (change.oldBegin == change.oldEnd)) continue;
    auto tokenAt = [&](std::size_t i) { return deletion ? engineTokens_[i] : now.at(i); };
    const std::string_view text = deletion ? std::string_view(engineFirst_) : now.now;
    auto same = [&](std::size_t i, std::size_t j) {
      return textOf(text, tokenAt(i)) == textOf(text, tokenAt(j));
    };
    std::size_t& begin = deletion ? change.oldBegin : change.newBegin;
    std::size_t& end = deletion ? change.oldEnd : change.newEnd;
    if (holdsWholeElements(begin, end, tokenAt)) continue;
    // The equal tokens around the run lie in the unchanged stretches next to it.
    const std::size_t floor =
        c == 0 ? 0 : (deletion ? changes[c - 1].oldEnd : changes[c - 1].newEnd);
    const std::size_t ceiling =
        c + 1 == changes.size() ? (deletion ? engineTokens_.size() : now.count())
                                : (deletion ? changes[c + 1].oldBegin : changes[c + 1].newBegin);
    std::size_t left = 0;
    while (left < kMaxSlide && begin - left > floor && same(begin - left - 1, end - left - 1))
      ++left;
    std::size_t right = 0;
    while (right < kMaxSlide && end + right < ceiling && same(begin + right, end + right)) ++right;
    for (std::size_t step = 1; step <= std::max(left, right); ++step) {
      std::ptrdiff_t shift = 0;
      if (step <= left && holdsWholeElements(begin - step, end - step, tokenAt)) {
        shift = -static_cast<std::ptrdiff_t>(step);
      } else if (step <= right && holdsWholeElements(begin + step, end + step, tokenAt)) {
        shift = static_cast<std::ptrdiff_t>(step);
      } else {
        continue;
      }
      // Both sides move together: the unchanged stretches keep their pairing.
      change.oldBegin =
          static_cast<std::size_t>(static_cast<std::ptrdiff_t>(change.oldBegin) + shift);
      change.oldEnd = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(change.oldEnd) + shift);
      change.newBegin =
          static_cast<std::size_t>(static_cast<std::ptrdiff_t>(change.newBegin) + shift);
      change.newEnd = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(change.newEnd) + shift);
      break;
    }
  }
}

std::vector<TokenChange> SourceMergeBase::widenToTopLevel(const std::vector<TokenChange>& changes,
                                                          const Rescan& now) const {
  const std::size_t count = now.count();
  // Depth before each current token; end tags never take it below zero.
  std::vector<std::size_t> depth(count + 1, 0);
  for (std::size_t i = 0; i < count; ++i) {
    const int step = now.at(i).depthStep;
    depth[i + 1] = step < 0 ? (depth[i] > 0 ? depth[i] - 1 : 0) : depth[i] + step;
  }
  std::vector<TokenChange> widened;
  for (const TokenChange& change : changes) {
    const std::size_t floor = widened.empty() ? 0 : widened.back().newEnd;
    std::size_t begin = std::max(change.newBegin, floor);
    while (begin > floor && depth[begin] != 0) --begin;
    std::size_t end = std::max(change.newEnd, begin);
    while (end < count && depth[end] != 0) ++end;
    if (!widened.empty() && change.newBegin < widened.back().newEnd) {
      // Inside the previous widened region: they become one.
      TokenChange& group = widened.back();
      const std::size_t newEnd = std::max(group.newEnd, end);
      group.oldEnd = change.oldEnd + (newEnd - change.newEnd);
      group.newEnd = newEnd;
      continue;
    }
    widened.push_back(TokenChange{change.oldBegin - (change.newBegin - begin),
                                  change.oldEnd + (end - change.newEnd), begin, end});
  }
  return widened;
}

// A change of text alone (text tokens paired with source replaced by text):
// the source bytes of the text it replaced.
std::optional<SourceMergeBase::SourceSpan> SourceMergeBase::changedTextSource(
    const TokenChange& change, const Rescan& now) const {
  if (change.oldBegin == change.oldEnd || change.newBegin == change.newEnd) return std::nullopt;
  for (std::size_t i = change.oldBegin; i < change.oldEnd; ++i) {
    if (engineTokens_[i].kind != HtmlTokenKind::Text || counterpart_[i] == kNoCounterpart) {
      return std::nullopt;
    }
  }
  for (std::size_t i = change.newBegin; i < change.newEnd; ++i) {
    if (now.at(i).kind != HtmlTokenKind::Text) return std::nullopt;
  }
  return SourceSpan{sourceTokens_[counterpart_[change.oldBegin]].begin,
                    sourceTokens_[counterpart_[change.oldEnd - 1]].end};
}

namespace {

// The lower-case name of a tag as the engine writes it.
std::string_view tagName(std::string_view tag) {
  const std::size_t from = tag.size() > 1 && tag[1] == '/' ? 2 : 1;
  const std::size_t end = tag.find_first_of(" \t\n/>", from);
  return tag.substr(from, end == std::string_view::npos ? tag.size() - from : end - from);
}

// Start tags that close an open paragraph (in either parsing mode).
bool closesParagraph(std::string_view name) {
  static constexpr std::string_view kNames[] = {
      "address", "article", "aside",   "blockquote", "center",   "dd",         "details", "dialog",
      "dir",     "div",     "dl",      "dt",         "fieldset", "figcaption", "figure",  "footer",
      "form",    "h1",      "h2",      "h3",         "h4",       "h5",         "h6",      "header",
      "hgroup",  "hr",      "li",      "main",       "menu",     "nav",        "ol",      "p",
      "pre",     "section", "summary", "ul"};
  for (std::string_view known : kNames) {
    if (name == known) return true;
  }
  return false;
}

}  // namespace

// A top-level element [begin, end) of the current tokens, untouched, every
// token paired with source, ending in a tag of the source that closes it,
// or in a paragraph the source left for the next start tag to close.
SourceMergeBase::BlockEnd SourceMergeBase::cleanBlock(std::size_t begin, std::size_t end,
                                                      const std::vector<std::size_t>& firstIndex,
                                                      const Rescan& now) const {
  if (begin >= end) return BlockEnd::Unclean;
  for (std::size_t i = begin; i + 1 < end; ++i) {
    const std::size_t e = firstIndex[i];
    if (e == kNoCounterpart || counterpart_[e] == kNoCounterpart) return BlockEnd::Unclean;
  }
  const std::size_t e = firstIndex[end - 1];
  if (e == kNoCounterpart) return BlockEnd::Unclean;
  const MergeToken last = now.at(end - 1);
  if (counterpart_[e] == kNoCounterpart) {
    return end - begin > 1 && textOf(now.now, last) == "</p>" ? BlockEnd::ParagraphLeftOpen
                                                              : BlockEnd::Unclean;
  }
  return last.kind == HtmlTokenKind::EndTag ||
                 (last.kind == HtmlTokenKind::StartTag && last.depthStep == 0)
             ? BlockEnd::Closed
             : BlockEnd::Unclean;
}

void SourceMergeBase::placeCheck(
    const std::vector<TokenChange>& changes, const Rescan& now, const std::vector<Copy>& copies,
    const std::vector<std::pair<std::size_t, std::size_t>>& lastTokenEnds,
    MergeResult& result) const {
  result.checkBegin = 0;
  result.checkEnd = result.body.size();
  result.engineCheckBegin = 0;
  result.engineCheckEnd = now.now.size();
  if (changes.empty() || carriesOpenElements_) return;
  const std::size_t count = now.count();
  // Depth before each current token, and its token in the first
  // serialization where it lies outside the changes.
  std::vector<std::size_t> depth(count + 1, 0);
  for (std::size_t i = 0; i < count; ++i) {
    const int step = now.at(i).depthStep;
    depth[i + 1] = step < 0 ? (depth[i] > 0 ? depth[i] - 1 : 0) : depth[i] + step;
  }
  std::vector<std::size_t> firstIndex(count, kNoCounterpart);
  for (std::size_t i = 0; i < changes.front().newBegin; ++i) firstIndex[i] = i;
  const TokenChange& lastChange = changes.back();
  for (std::size_t i = lastChange.newEnd; i < count; ++i) {
    firstIndex[i] = i - lastChange.newEnd + lastChange.oldEnd;
  }
  // Out to whole top-level elements, then on to a clean one on each side.
  std::size_t begin = changes.front().newBegin;
  while (begin > 0 && depth[begin] != 0) --begin;
  // A start tag that closes a paragraph left open before it.
  const auto closesOpenParagraph = [&](std::size_t i) {
    if (i >= count) return false;
    const MergeToken token = now.at(i);
    return token.kind == HtmlTokenKind::StartTag &&
           closesParagraph(tagName(textOf(now.now, token)));
  };
  std::optional<std::size_t> checkFrom;
  std::size_t checkFromSource = 0;
  // Where the result has the implied end tag closing the element before
  // the check written out, the check starts after it.
  std::optional<std::size_t> checkFromOut;
  while (begin > 0) {
    std::size_t blockBegin = begin - 1;
    while (blockBegin > 0 && depth[blockBegin] != 0) --blockBegin;
    const BlockEnd blockEnd = cleanBlock(blockBegin, begin, firstIndex, now);
    if (blockEnd == BlockEnd::Closed ||
        (blockEnd == BlockEnd::ParagraphLeftOpen && closesOpenParagraph(begin))) {
      checkFrom = begin;
      // After the block's last token of the source.
      const std::size_t lastOwn = blockEnd == BlockEnd::Closed ? begin - 1 : begin - 2;
      checkFromSource = sourceTokens_[counterpart_[firstIndex[lastOwn]]].end;
      for (const auto& [token, outEnd] : lastTokenEnds) {
        if (token == firstIndex[begin - 1]) checkFromOut = outEnd;
      }
      break;
    }
    begin = blockBegin;
  }
  std::size_t end = lastChange.newEnd;
  while (end < count && depth[end] != 0) ++end;
  std::optional<std::size_t> checkTo;
  while (end < count) {
    std::size_t blockEnd = end + 1;
    while (blockEnd < count && depth[blockEnd] != 0) ++blockEnd;
    // The checked stretch may end in a paragraph the next block closes.
    const bool leftOpen = end > 0 && textOf(now.now, now.at(end - 1)) == "</p>";
    if (cleanBlock(end, blockEnd, firstIndex, now) != BlockEnd::Unclean &&
        (!leftOpen || closesOpenParagraph(end))) {
      checkTo = end;
      break;
    }
    end = blockEnd;
  }
  // The result's offset of a source offset, where a stretch holds it.
  const auto outAt = [&copies](std::size_t source, bool atEnd) -> std::optional<std::size_t> {
    for (const Copy& copy : copies) {
      if (atEnd ? (copy.sourceBegin < source && source <= copy.sourceEnd)
                : (copy.sourceBegin <= source && source < copy.sourceEnd)) {
        return copy.outBegin + (source - copy.sourceBegin);
      }
    }
    return std::nullopt;
  };
  if (checkFrom) {
    const std::optional<std::size_t> out =
        checkFromOut ? checkFromOut : outAt(checkFromSource, true);
    if (!out) return;
    result.checkBegin = *out;
    result.engineCheckBegin = now.at(*checkFrom - 1).end;
  }
  if (checkTo) {
    const std::size_t e = firstIndex[*checkTo];
    const std::optional<std::size_t> out = outAt(sourceTokens_[counterpart_[e]].begin, false);
    if (!out || *out < result.checkBegin) {
      result.checkBegin = 0;
      result.engineCheckBegin = 0;
      return;
    }
    result.checkEnd = *out;
    result.engineCheckEnd = now.at(*checkTo).begin;
  }
}

MergeResult SourceMergeBase::merge(std::string_view engineNow, MergeGranularity granularity) const {
  const Rescan now = rescan(engineNow);
  std::vector<std::string_view> before;
  before.reserve(now.resume - now.firstChanged);
  for (std::size_t i = now.firstChanged; i < now.resume; ++i) {
    before.push_back(textOf(engineFirst_, engineTokens_[i]));
  }
  std::vector<std::string_view> after;
  after.reserve(now.middle.size());
  for (const MergeToken& token : now.middle) after.push_back(textOf(engineNow, token));
  std::vector<TokenChange> changes = DiffTokens(before, after, kMaxEditCost);
  for (TokenChange& change : changes) {
    change.oldBegin += now.firstChanged;
    change.oldEnd += now.firstChanged;
    change.newBegin += now.firstChanged;
    change.newEnd += now.firstChanged;
  }
  slideToWholeElements(changes, now);
  if (granularity == MergeGranularity::TopLevelBlocks) changes = widenToTopLevel(changes, now);

  MergeResult result;
  result.body.reserve(std::max(source_.size(), engineNow.size()));
  Emitter emit(*this, now, result);
  std::size_t from = 0;
  std::optional<std::size_t> sourceFrom;
  for (const TokenChange& change : changes) {
    const std::optional<SourceSpan> text = changedTextSource(change, now);
    emit.keep(from, change.oldBegin, &change == &changes.front(), false, sourceFrom,
              text ? std::optional<std::size_t>(text->begin) : std::nullopt);
    emit.changed(change.newBegin, change.newEnd);
    from = change.oldEnd;
    sourceFrom = text ? std::optional<std::size_t>(text->end) : std::nullopt;
  }
  emit.keep(from, engineTokens_.size(), changes.empty(), true, sourceFrom);
  placeCheck(changes, now, emit.copies_, emit.lastTokenEnds_, result);
  return result;
}

}  // namespace pellora::content
