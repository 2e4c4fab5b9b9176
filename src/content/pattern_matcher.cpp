// Covered by tests/content/pattern_matcher_test.cpp.
#include "content/pattern_matcher.h"

#include <cstring>

#include "content/pattern_backtracker.h"
#include "content/pattern_program.h"
#include "content/pattern_syntax.h"

namespace pellora::content {

static_assert(PatternMatcher::kGroupCount == detail::kMaxGroups);

PatternMatcher::PatternMatcher() { groups_.fill(-1); }

PatternMatcher::~PatternMatcher() = default;

void PatternMatcher::setPattern(std::string pattern) { pattern_ = std::move(pattern); }

void PatternMatcher::compileIfNeeded() {
  if (program_ && compiledPattern_ == pattern_ && compiledCaseInsensitive_ == caseInsensitive_ &&
      compiledGreedy_ == greedy_) {
    return;
  }
  // A backtracker refers to the program it runs; drop it with the program.
  backtracker_.reset();
  program_.reset();
  const auto tree = detail::parsePattern(pattern_);
  program_ = std::make_unique<detail::Program>(detail::compileProgram(
      *tree, caseInsensitive_ ? detail::CaseFolding::On : detail::CaseFolding::Off,
      greedy_ ? detail::Repetition::Greedy : detail::Repetition::Lazy));
  compiledPattern_ = pattern_;
  compiledCaseInsensitive_ = caseInsensitive_;
  compiledGreedy_ = greedy_;
}

bool PatternMatcher::Exec(std::string_view subject) {
  matched_ = false;
  groups_.fill(-1);
  compileIfNeeded();
  // An empty view may carry a null pointer, which memchr must not see.
  const void* nul = subject.empty() ? nullptr : std::memchr(subject.data(), '\0', subject.size());
  const std::size_t length =
      nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - subject.data())
          : subject.size();
  subject_.assign(subject.data(), length);
  backtracker_.reset();
  return searchFrom(0);
}

bool PatternMatcher::ExecNext() {
  if (!matched_) return false;
  std::size_t from = static_cast<std::size_t>(groups_[1]);
  if (groups_[0] == groups_[1]) ++from;
  matched_ = false;
  groups_.fill(-1);
  compileIfNeeded();
  if (from > subject_.size()) return false;
  return searchFrom(from);
}

bool PatternMatcher::searchFrom(std::size_t from) {
  if (!backtracker_) backtracker_ = std::make_unique<detail::Backtracker>(*program_, subject_);
  if (!backtracker_->search(from)) return false;
  const auto& captures = backtracker_->captures();
  for (std::size_t i = 0; i < groups_.size(); i += 2) {
    // A group counts only with both ends; the program sets them in pairs.
    if (captures[i] != detail::kNoPosition && captures[i + 1] != detail::kNoPosition) {
      groups_[i] = static_cast<std::ptrdiff_t>(captures[i]);
      groups_[i + 1] = static_cast<std::ptrdiff_t>(captures[i + 1]);
    }
  }
  matched_ = true;
  return true;
}

std::ptrdiff_t PatternMatcher::matchPos(int group) const {
  if (group < 0 || group > kGroupCount || groups_[2 * group] < 0) return -1;
  return groups_[2 * group] + 1;
}

std::ptrdiff_t PatternMatcher::matchLen(int group) const {
  if (group < 0 || group > kGroupCount || groups_[2 * group] < 0) return -1;
  return groups_[2 * group + 1] - groups_[2 * group];
}

std::string PatternMatcher::match(int group) const {
  if (group < 0 || group > kGroupCount || groups_[2 * group] < 0) return {};
  return subject_.substr(static_cast<std::size_t>(groups_[2 * group]),
                         static_cast<std::size_t>(groups_[2 * group + 1] - groups_[2 * group]));
}

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the digits at `pos` into a group number; numbers too large for any
// group saturate, they insert nothing either way.
int readNumber(std::string_view text, std::size_t& pos) {
  int number = 0;
  while (pos < text.size() && isDigit(text[pos])) {
    if (number <= PatternMatcher::kGroupCount) number = number * 10 + (text[pos] - '0');
    ++pos;
  }
  return number;
}

}  // namespace

std::string PatternMatcher::Substitute(std::string_view templateText) const {
  std::string result;
  std::size_t pos = 0;
  while (pos < templateText.size()) {
    const char c = templateText[pos];
    if (c == '\\') {
      // A trailing backslash has nothing to escape and is kept.
      if (pos + 1 < templateText.size()) ++pos;
      result += templateText[pos++];
      continue;
    }
    if (c != '$' || pos + 1 >= templateText.size()) {
      result += c;
      ++pos;
      continue;
    }
    const char next = templateText[pos + 1];
    if (isDigit(next)) {
      pos += 1;
      result += match(readNumber(templateText, pos));
      continue;
    }
    if (next == '&') {
      result += match(0);
      pos += 2;
      continue;
    }
    if (next == '{' && pos + 2 < templateText.size() && isDigit(templateText[pos + 2])) {
      std::size_t end = pos + 2;
      const int group = readNumber(templateText, end);
      if (end < templateText.size() && templateText[end] == '}') {
        result += match(group);
        pos = end + 1;
        continue;
      }
    }
    result += c;
    ++pos;
  }
  return result;
}

std::string PatternMatcher::Replace(std::string_view subject, std::string_view replacement) {
  // Matches lie within the NUL-terminated prefix that Exec keeps; whatever
  // follows the last match, including text after a NUL, is copied unchanged.
  const std::string original(subject);
  std::string result;
  std::size_t copied = 0;
  for (bool found = Exec(original); found; found = ExecNext()) {
    const auto start = static_cast<std::size_t>(groups_[0]);
    result.append(original, copied, start - copied);
    result.append(replacement);
    copied = static_cast<std::size_t>(groups_[1]);
  }
  result.append(original, copied, std::string::npos);
  return result;
}

}  // namespace pellora::content
