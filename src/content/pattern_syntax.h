// The syntax tree of a pattern and its parser (internal to the matcher).
//
// The dialect: ordinary bytes; "." (any byte); bracket classes with ranges
// and negation ("[A-Z]", "[^>]"); a backslash that makes the next byte
// ordinary, inside and outside classes; groups "( )" numbered by their
// opening parenthesis; alternation "|"; the quantifiers "?", "*" and "+",
// each optionally followed by "?" to make it lazy. Nothing else is special:
// "^", "$", "{" and the like are ordinary bytes.
//
// The parser knows syntax only; options (case folding, greedy off) are
// applied by the compiler. Faults raise EPatternError.
#pragma once

#include <bitset>
#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace pellora::content::detail {

// Groups 1..kMaxGroups capture; parentheses beyond that only group.
inline constexpr int kMaxGroups = 14;

using ByteSet = std::bitset<256>;

struct Node {
  enum class Kind { Empty, Bytes, Concat, Alternation, Group, Repeat };

  explicit Node(Kind k) : kind(k) {}

  Kind kind;
  ByteSet bytes;                                // Bytes: the listed members
  bool negated = false;                         // Bytes: matches what is not listed
  std::vector<std::unique_ptr<Node>> children;  // Concat, Alternation; one for Group, Repeat
  int group = 0;                                // Group: capture number, 0 = not captured
  bool optional = false;                        // Repeat: minimum 0 (else 1)
  bool unbounded = false;                       // Repeat: maximum infinite (else 1)
  bool lazy = false;                            // Repeat: written with a trailing "?"
};

// Whether the node can match the empty text.
bool isNullable(const Node& node);

// Parentheses nest at most this deep, so that the recursive parser and
// compiler stay far from the stack limit whatever pattern they are fed.
inline constexpr int kMaxNesting = 250;

// Parses a whole pattern; throws EPatternError.
std::unique_ptr<Node> parsePattern(std::string_view pattern);

}  // namespace pellora::content::detail
