// Covered by tests/content/pattern_matcher_test.cpp (rules, pathological
// inputs) and pattern_differential_test.cpp (against a second engine).
#include "content/pattern_backtracker.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace pellora::content::detail {

namespace {

using Op = Instruction::Op;

unsigned char byteAt(std::string_view text, std::size_t pos) {
  return static_cast<unsigned char>(text[pos]);
}

}  // namespace

void Backtracker::FreeDeleter::operator()(std::uint64_t* p) const { std::free(p); }

Backtracker::Backtracker(const Program& program, std::string_view subject)
    : program_(program), text_(subject), rowWords_((subject.size() + 1 + 63) / 64) {}

bool Backtracker::search(std::size_t from) {
  memoClearTouched();
  for (std::size_t start = from; start <= text_.size(); ++start) {
    if (!program_.nullable) {
      start = nextStart(start);
      if (start == kNoPosition) return false;
    }
    if (tryAt(start)) return true;
  }
  return false;
}

// The next position at or after `from` whose byte can begin a match.
std::size_t Backtracker::nextStart(std::size_t from) const {
  const ByteTable& first = program_.tables[program_.first];
  if (from >= text_.size()) return kNoPosition;
  if (first.count == 1) {
    const void* hit = std::memchr(text_.data() + from, first.only, text_.size() - from);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data())
               : kNoPosition;
  }
  for (std::size_t pos = from; pos < text_.size(); ++pos) {
    if (first.has[byteAt(text_, pos)]) return pos;
  }
  return kNoPosition;
}

// The first position in [from, limit) whose byte is in `stop`, or `limit`.
std::size_t Backtracker::scanTo(const ByteTable& stop, std::size_t from, std::size_t limit) const {
  if (from >= limit) return limit;
  if (stop.count == 1) {
    const void* hit = std::memchr(text_.data() + from, stop.only, limit - from);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data()) : limit;
  }
  std::size_t pos = from;
  while (pos < limit && !stop.has[byteAt(text_, pos)]) ++pos;
  return pos;
}

bool Backtracker::canContinue(const Instruction& in, std::size_t pos) const {
  return pos < text_.size() ? program_.tables[in.follow].has[byteAt(text_, pos)]
                            : in.followNullable;
}

bool Backtracker::tryAt(std::size_t start) {
  captures_.fill(kNoPosition);
  stack_.clear();
  stack_.push_back({Entry::Kind::Try, 0, start, 0});
  while (!stack_.empty()) {
    const Entry entry = stack_.back();
    stack_.pop_back();
    switch (entry.kind) {
      case Entry::Kind::Restore:
        captures_[entry.index] = entry.extra;
        break;
      case Entry::Kind::Try:
        if (run(entry.index, entry.pos)) return true;
        break;
      case Entry::Kind::GreedyRest:
        if (resumeGreedy(entry)) return true;
        break;
    }
  }
  return false;
}

// A greedy Star has taken the bytes up to `extra`; the continuation is tried
// after the most bytes first, giving one back at a time down to `pos`.
bool Backtracker::resumeGreedy(const Entry& entry) {
  const Instruction& in = program_.code[entry.index];
  std::size_t pos = entry.extra;
  while (!canContinue(in, pos)) {
    if (pos == entry.pos) return false;
    --pos;
  }
  if (pos > entry.pos) stack_.push_back({Entry::Kind::GreedyRest, entry.index, entry.pos, pos - 1});
  return run(entry.index + 1, pos);
}

bool Backtracker::run(int pc, std::size_t pos) {
  const std::size_t size = text_.size();
  while (true) {
    const Instruction& in = program_.code[pc];
    switch (in.op) {
      case Op::Bytes:
        if (pos >= size || !program_.tables[in.table].has[byteAt(text_, pos)]) return false;
        ++pc;
        ++pos;
        break;
      case Op::Split:
        if (memoTestAndSet(in.memo, pos)) return false;
        stack_.push_back({Entry::Kind::Try, in.alternative, pos, 0});
        pc = in.next;
        break;
      case Op::Jump:
        pc = in.next;
        break;
      case Op::Save:
        stack_.push_back({Entry::Kind::Restore, in.slot, 0, captures_[in.slot]});
        captures_[in.slot] = pos;
        ++pc;
        break;
      case Op::Match:
        return true;
      case Op::Star: {
        // States (pc, pos..found) are new; the scan stops early at a state
        // entered before, so no stretch of the subject is scanned twice
        // for the same instruction.
        const Fresh fresh = scanFresh(in.memo, program_.tables[in.stop], pos);
        if (fresh.seen && fresh.pos == pos) return false;
        const std::size_t high = fresh.seen ? fresh.pos - 1 : fresh.pos;
        memoSetRange(in.memo, pos, high);
        if (!in.lazy) {
          stack_.push_back({Entry::Kind::GreedyRest, pc, pos, high});
          return false;
        }
        // Lazy: the bytes before `high` could neither begin the
        // continuation nor end the repetition; they were only stepped over.
        if (fresh.seen || !canContinue(in, high)) return false;
        if (high < size && program_.tables[in.table].has[byteAt(text_, high)]) {
          stack_.push_back({Entry::Kind::Try, pc, high + 1, 0});
        }
        pos = high;
        ++pc;
        break;
      }
    }
  }
}

Backtracker::Fresh Backtracker::scanFresh(int row, const ByteTable& stop, std::size_t pos) {
  constexpr std::size_t kBlock = 4096;
  const std::size_t size = text_.size();
  while (true) {
    const std::size_t blockEnd = std::min(pos + kBlock, size + 1);  // exclusive
    const std::size_t seen = memoFirstSet(row, pos, blockEnd - 1);
    const std::size_t limit = std::min(seen == kNoPosition ? blockEnd : seen, size);
    const std::size_t hit = scanTo(stop, pos, limit);
    if (hit < limit) return {hit, false};
    if (seen != kNoPosition) return {seen, true};
    if (blockEnd == size + 1) return {size, false};
    pos = blockEnd;
  }
}

std::uint64_t* Backtracker::memoRow(int row) {
  if (!memo_) {
    const std::size_t words = rowWords_ * static_cast<std::size_t>(program_.memoRows);
    // calloc: large bitmaps come as untouched zero pages, so a long subject
    // only pays for the part of it that searches reach.
    auto* bits = static_cast<std::uint64_t*>(std::calloc(words, sizeof(std::uint64_t)));
    if (!bits) throw std::bad_alloc();
    memo_.reset(bits);
  }
  return memo_.get() + rowWords_ * static_cast<std::size_t>(row);
}

bool Backtracker::memoTestAndSet(int row, std::size_t pos) {
  std::uint64_t& word = memoRow(row)[pos / 64];
  const std::uint64_t bit = std::uint64_t{1} << (pos % 64);
  if (word & bit) return true;
  word |= bit;
  if (pos < touchedLo_) touchedLo_ = pos;
  if (pos > touchedHi_) touchedHi_ = pos;
  return false;
}

std::size_t Backtracker::memoFirstSet(int row, std::size_t lo, std::size_t hi) {
  const std::uint64_t* bits = memoRow(row);
  std::size_t pos = lo;
  while (pos <= hi) {
    const std::uint64_t word = bits[pos / 64] >> (pos % 64);
    if (word != 0) {
      const std::size_t hit = pos + static_cast<std::size_t>(__builtin_ctzll(word));
      return hit <= hi ? hit : kNoPosition;
    }
    pos = (pos / 64 + 1) * 64;
  }
  return kNoPosition;
}

void Backtracker::memoSetRange(int row, std::size_t lo, std::size_t hi) {
  std::uint64_t* bits = memoRow(row);
  std::size_t pos = lo;
  while (pos <= hi) {
    const std::size_t offset = pos % 64;
    const std::size_t count = std::min<std::size_t>(64 - offset, hi - pos + 1);
    const std::uint64_t mask = count == 64 ? ~std::uint64_t{0} : ((std::uint64_t{1} << count) - 1);
    bits[pos / 64] |= mask << offset;
    pos += count;
  }
  if (lo < touchedLo_) touchedLo_ = lo;
  if (hi > touchedHi_) touchedHi_ = hi;
}

void Backtracker::memoClearTouched() {
  if (memo_ && touchedLo_ <= touchedHi_) {
    const std::size_t first = touchedLo_ / 64;
    const std::size_t count = touchedHi_ / 64 - first + 1;
    for (int row = 0; row < program_.memoRows; ++row) {
      std::memset(memo_.get() + rowWords_ * static_cast<std::size_t>(row) + first, 0,
                  count * sizeof(std::uint64_t));
    }
  }
  touchedLo_ = kNoPosition;
  touchedHi_ = 0;
}

}  // namespace pellora::content::detail
