// Runs a compiled program over one subject (internal to the matcher).
//
// Backtracking with an explicit stack, so the depth of the native stack
// never depends on the subject. Leftmost-first semantics: the first start
// position that can match wins, and there the first successful path in
// program order decides the match and its captures.
//
// Memoisation: every (choice point, position) state entered is recorded in
// a bitmap. A state entered again can only repeat the failure of its first
// exploration (captures do not influence matching), so it is skipped; this
// bounds the work by the program size times the subject length. The bitmap
// is allocated on first use and kept across the searches of one subject;
// between searches only the range a search touched is cleared.
//
// The subject must outlive the backtracker; so must the program.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "content/pattern_program.h"

namespace pellora::content::detail {

inline constexpr std::size_t kNoPosition = static_cast<std::size_t>(-1);

class Backtracker {
 public:
  Backtracker(const Program& program, std::string_view subject);

  // Finds the leftmost match that starts at or after `from` (0-based).
  bool search(std::size_t from);

  // Slot 2n / 2n+1: 0-based start / end of group n; kNoPosition if unset.
  const std::array<std::size_t, kCaptureSlots>& captures() const { return captures_; }

 private:
  struct Entry {
    enum class Kind : std::uint8_t { Try, Restore, GreedyRest };
    Kind kind;
    int index;          // Try, GreedyRest: instruction; Restore: slot
    std::size_t pos;    // Try: position; GreedyRest: lowest candidate
    std::size_t extra;  // Restore: old value; GreedyRest: highest candidate
  };

  struct FreeDeleter {
    void operator()(std::uint64_t* p) const;
  };

  // Where a scan over fresh states stopped: at a stop byte or the end
  // (seen false), or at a state already entered (seen true).
  struct Fresh {
    std::size_t pos;
    bool seen;
  };

  bool tryAt(std::size_t start);
  Fresh scanFresh(int row, const ByteTable& stop, std::size_t pos);
  bool run(int pc, std::size_t pos);
  bool resumeGreedy(const Entry& entry);
  bool canContinue(const Instruction& in, std::size_t pos) const;
  std::size_t nextStart(std::size_t from) const;
  std::size_t scanTo(const ByteTable& stop, std::size_t from, std::size_t limit) const;

  // Memo rows hold one bit per position 0..size.
  std::uint64_t* memoRow(int row);
  bool memoTestAndSet(int row, std::size_t pos);
  std::size_t memoFirstSet(int row, std::size_t lo, std::size_t hi);
  void memoSetRange(int row, std::size_t lo, std::size_t hi);
  void memoClearTouched();

  const Program& program_;
  std::string_view text_;
  std::array<std::size_t, kCaptureSlots> captures_{};
  std::vector<Entry> stack_;
  std::unique_ptr<std::uint64_t, FreeDeleter> memo_;
  std::size_t rowWords_ = 0;
  std::size_t touchedLo_ = kNoPosition;
  std::size_t touchedHi_ = 0;
};

}  // namespace pellora::content::detail
