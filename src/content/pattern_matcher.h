// PatternMatcher: the regular-expression matcher every pattern of the system
// runs on. A matcher is made for one use: set its options and pattern, run
// it over one subject with Exec and ExecNext (or Replace), read the groups.
//
// Dialect (see pattern_syntax.h): ordinary bytes, ".", bracket classes,
// backslash escapes, groups 1-14, "|", and "?", "*", "+" (optionally lazy
// with a trailing "?"). "." matches every byte, line breaks included.
// Options: case-insensitive (Windows-1252 case mapping) and greedy; greedy
// off makes every quantifier lazy. Options and pattern take effect at the
// next match call; a pattern that cannot be compiled raises EPatternError
// there, not when it is set.
//
// Subjects are bytes and end at their first NUL. Positions are 1-based;
// a group that took no part in the match has position and length -1.
// Matching never recurses per subject byte and stays polynomial in the
// subject length for every pattern.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "content/pattern_error.h"

namespace pellora::content {

namespace detail {
struct Program;
class Backtracker;
}  // namespace detail

class PatternMatcher {
 public:
  // Groups 1..kGroupCount can be read; group 0 is the whole match.
  static constexpr int kGroupCount = 14;

  PatternMatcher();
  ~PatternMatcher();
  PatternMatcher(const PatternMatcher&) = delete;
  PatternMatcher& operator=(const PatternMatcher&) = delete;

  void setPattern(std::string pattern);
  const std::string& pattern() const { return pattern_; }
  void setCaseInsensitive(bool on) { caseInsensitive_ = on; }
  bool caseInsensitive() const { return caseInsensitive_; }
  void setGreedy(bool on) { greedy_ = on; }
  bool greedy() const { return greedy_; }

  // Stores a copy of `subject` (up to its first NUL) and finds its leftmost
  // match. Throws EPatternError for a faulty pattern.
  bool Exec(std::string_view subject);
  // Searches the same subject from the end of the previous match, or one
  // byte further when that match was empty. False when there was none.
  bool ExecNext();

  // "$n" / "${n}": group n; "$&": group 0; "\x": x; any other "$" is kept.
  std::string Substitute(std::string_view templateText) const;
  // `subject` with every match replaced by `replacement`, taken literally.
  std::string Replace(std::string_view subject, std::string_view replacement);

  // Of the last match; -1 when there is no match or the group took no part.
  std::ptrdiff_t matchPos(int group) const;
  std::ptrdiff_t matchLen(int group) const;
  // The text of a group; empty when it took no part.
  std::string match(int group) const;

 private:
  void compileIfNeeded();
  bool searchFrom(std::size_t from);

  std::string pattern_;
  bool caseInsensitive_ = false;
  bool greedy_ = true;

  // The compiled program and the options it was compiled under.
  std::unique_ptr<detail::Program> program_;
  std::string compiledPattern_;
  bool compiledCaseInsensitive_ = false;
  bool compiledGreedy_ = true;

  std::string subject_;
  std::unique_ptr<detail::Backtracker> backtracker_;
  bool matched_ = false;
  // 0-based start and end of each group; -1 when unset.
  std::array<std::ptrdiff_t, 2 * (kGroupCount + 1)> groups_{};
};

}  // namespace pellora::content
