// The matcher against a second engine: std::regex (ECMAScript), which has
// the same leftmost-first backtracking semantics for the shared subset.
// Greedy off is checked by writing every quantifier lazily for std::regex.
//
// Known differences kept out of the comparison: ECMAScript clears the groups
// inside a quantified group at each repetition and rejects empty
// repetitions, so only groups outside every quantifier are compared (group 0
// always). "." excludes line breaks in ECMAScript, so subjects have none.
#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>
#include <vector>

#include "content/pattern_matcher.h"

namespace pellora::content {
namespace {

struct Generated {
  std::string ours;                // dialect form
  std::string ecma;                // std::regex form
  std::vector<bool> insideRepeat;  // per group, from 1
};

class PatternGenerator {
 public:
  PatternGenerator(unsigned seed, bool lazy) : rng_(seed), lazy_(lazy) {}

  Generated next() {
    out_ = {};
    alternation(0, false);
    return out_;
  }

 private:
  int pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }

  void emit(const std::string& text) {
    out_.ours += text;
    out_.ecma += text;
  }

  void alternation(int depth, bool inRepeat) {
    const int count = depth < 2 ? 1 + pick(3) : 1;
    for (int i = 0; i < count; ++i) {
      if (i) emit("|");
      concat(depth, inRepeat);
    }
  }

  void concat(int depth, bool inRepeat) {
    const int count = 1 + pick(3);
    for (int i = 0; i < count; ++i) piece(depth, inRepeat);
  }

  void piece(int depth, bool inRepeat) {
    static const char* const kQuantifiers[] = {"", "", "", "?", "*", "+"};
    const std::string quantifier = kQuantifiers[pick(6)];
    atom(depth, inRepeat || !quantifier.empty());
    out_.ours += quantifier;
    out_.ecma += quantifier;
    if (lazy_ && !quantifier.empty()) out_.ecma += "?";
  }

  void atom(int depth, bool inRepeat) {
    static const char* const kAtoms[] = {"a", "b", "a", "b", ".", "[ab]", "[^a]", "[a-b]", "c"};
    if (depth < 3 && out_.insideRepeat.size() < 14 && pick(4) == 0) {
      emit("(");
      out_.insideRepeat.push_back(inRepeat);
      alternation(depth + 1, inRepeat);
      emit(")");
      return;
    }
    emit(kAtoms[pick(9)]);
  }

  std::mt19937 rng_;
  bool lazy_;
  Generated out_;
};

std::string randomSubject(std::mt19937& rng, bool mixedCase) {
  const char* alphabet = mixedCase ? "abcAB" : "abc";
  const unsigned size = mixedCase ? 5 : 3;
  std::string s(rng() % 9, ' ');
  for (char& c : s) c = alphabet[rng() % size];
  return s;
}

struct Mode {
  bool lazy;
  bool caseInsensitive;
};

void compare(const Mode& mode, unsigned seed, int& compared) {
  PatternGenerator generator(seed, mode.lazy);
  std::mt19937 rng(seed ^ 0x9E3779B9u);
  for (int round = 0; round < 600; ++round) {
    const Generated g = generator.next();
    PatternMatcher ours;
    ours.setPattern(g.ours);
    ours.setGreedy(!mode.lazy);
    ours.setCaseInsensitive(mode.caseInsensitive);
    try {
      ours.Exec("");
    } catch (const EPatternError&) {
      continue;  // "*" or "+" over something that can match the empty text
    }
    auto flags = std::regex::ECMAScript;
    if (mode.caseInsensitive) flags |= std::regex::icase;
    const std::regex theirs(g.ecma, flags);
    for (int s = 0; s < 8; ++s) {
      const std::string subject = randomSubject(rng, mode.caseInsensitive);
      std::smatch m;
      const bool theirFound = std::regex_search(subject, m, theirs);
      const bool ourFound = ours.Exec(subject);
      const std::string where =
          "pattern " + g.ours + "  (std::regex: " + g.ecma + ")  subject \"" + subject + "\"";
      ASSERT_EQ(ourFound, theirFound) << "first mismatch: " << where;
      ++compared;
      if (!ourFound) continue;
      ASSERT_EQ(ours.matchPos(0) - 1, m.position(0)) << "first mismatch: " << where;
      ASSERT_EQ(ours.matchLen(0), m.length(0)) << "first mismatch: " << where;
      for (std::size_t n = 1; n <= g.insideRepeat.size(); ++n) {
        if (g.insideRepeat[n - 1]) continue;
        const int group = static_cast<int>(n);
        if (!m[n].matched) {
          ASSERT_EQ(ours.matchPos(group), -1) << "group " << n << ", first mismatch: " << where;
        } else {
          ASSERT_EQ(ours.matchPos(group) - 1, m.position(n))
              << "group " << n << ", first mismatch: " << where;
          ASSERT_EQ(ours.matchLen(group), m.length(n))
              << "group " << n << ", first mismatch: " << where;
        }
      }
    }
  }
}

TEST(PatternDifferentialTest, AgreesWithStdRegex) {
  const Mode modes[] = {{false, false}, {true, false}, {false, true}, {true, true}};
  int compared = 0;
  for (const Mode& mode : modes) {
    for (unsigned seed = 1; seed <= 4; ++seed) {
      SCOPED_TRACE("lazy " + std::to_string(mode.lazy) + " icase " +
                   std::to_string(mode.caseInsensitive) + " seed " + std::to_string(seed));
      compare(mode, seed, compared);
      if (HasFatalFailure()) return;
    }
  }
  // The generator must not starve the comparison with rejected patterns.
  EXPECT_GT(compared, 50000);
}

}  // namespace
}  // namespace pellora::content
