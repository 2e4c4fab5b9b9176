// The compiled form of a pattern (internal to the matcher): a small program
// for the backtracker, with the options already applied — case folding is
// baked into the byte tables, and greedy off has made every quantifier lazy.
//
// Every choice point (Split, Star) owns a memo row: the backtracker records
// there the (instruction, position) states it has entered, so no state is
// explored twice and matching stays polynomial.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "content/pattern_syntax.h"

namespace pellora::content::detail {

// Membership of the 256 byte values, with what a fast scan needs to know.
struct ByteTable {
  std::array<bool, 256> has{};
  int count = 0;           // members
  unsigned char only = 0;  // the member when count == 1
};

struct Instruction {
  enum class Op : std::uint8_t {
    Bytes,  // consume one byte of `table`
    Split,  // try `next`, on failure `alternative`
    Jump,   // go to `next`
    Save,   // capture slot `slot` := position
    Star,   // any number of bytes of `table`, then the continuation at pc + 1
    Match,
  };

  Op op = Op::Match;
  bool lazy = false;            // Star: fewest repetitions first
  bool followNullable = false;  // Star: the continuation can match the empty text
  int table = -1;               // Bytes, Star
  int follow = -1;              // Star: bytes that can begin the continuation
  int stop = -1;                // Star: bytes where a forward scan must stop
  int next = 0;                 // Split, Jump
  int alternative = 0;          // Split
  int memo = -1;                // Split, Star: memo row
  int slot = 0;                 // Save
};

struct Program {
  std::vector<Instruction> code;
  std::vector<ByteTable> tables;
  int memoRows = 0;
  // Bytes that can begin a match, unless the pattern can match the empty text.
  int first = -1;
  bool nullable = true;
};

inline constexpr int kCaptureSlots = 2 * (kMaxGroups + 1);

// Compiles a parsed pattern under the given options.
enum class CaseFolding { Off, On };
enum class Repetition { Greedy, Lazy };
Program compileProgram(const Node& root, CaseFolding folding, Repetition repetition);

}  // namespace pellora::content::detail
