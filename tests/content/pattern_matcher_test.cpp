#include "content/pattern_matcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace pellora::content {
namespace {

// Groups 0..count of the last match as "(pos,len)" pairs, one readable string.
std::string groups(const PatternMatcher& m, int count) {
  std::string out;
  for (int g = 0; g <= count; ++g) {
    out += "(" + std::to_string(m.matchPos(g)) + "," + std::to_string(m.matchLen(g)) + ")";
  }
  return out;
}

enum class Case { Sensitive, Insensitive };
enum class Mode { Greedy, Lazy };

struct MatchCase {
  const char* what;
  std::string pattern;
  Case folding;
  Mode mode;
  std::string subject;
  std::string expected;  // groups(m, n) of the first match, "" for no match
};

const std::vector<MatchCase>& matchCases() {
  static const std::vector<MatchCase> cases = {
      {"lazy body pattern takes the first body", "<body.*>(.*)</body>", Case::Insensitive,
       Mode::Lazy, "<body>a</body><body>b</body>", "(1,14)(7,1)"},
      {"greedy body pattern takes the last body", "<body.*>(.*)</body>", Case::Insensitive,
       Mode::Greedy, "<body>a</body><body>b</body>", "(1,28)(21,1)"},
      {"body tag with attributes and line breaks", "<body.*>(.*)</body>", Case::Insensitive,
       Mode::Lazy, "x<BODY\r\nclass=a>\r\nt\r\n</Body>", "(2,27)(17,5)"},
      {"optional group takes one repetition when zero fails", "(file://)?X", Case::Sensitive,
       Mode::Lazy, "file://X", "(1,8)(1,7)"},
      {"lazy optional group stays empty when the rest matches", "(a)?a", Case::Sensitive,
       Mode::Lazy, "aa", "(1,1)(-1,-1)"},
      {"greedy optional group takes its repetition", "(a)?a", Case::Sensitive, Mode::Greedy, "aa",
       "(1,2)(1,1)"},
      {"group that took no part", "(a)|(b)", Case::Sensitive, Mode::Greedy, "b",
       "(1,1)(-1,-1)(1,1)"},
      {"alternatives left to right", "(a|ab)", Case::Sensitive, Mode::Greedy, "ab", "(1,1)(1,1)"},
      {"alternatives left to right, longer first", "(ab|a)", Case::Sensitive, Mode::Greedy, "ab",
       "(1,2)(1,2)"},
      {"leftmost start wins over length", "b+|abbbc", Case::Sensitive, Mode::Greedy, "xabbbc",
       "(2,5)"},
      {"greedy plus", "b+", Case::Sensitive, Mode::Greedy, "aabbb", "(3,3)"},
      {"lazy plus", "b+", Case::Sensitive, Mode::Lazy, "aabbb", "(3,1)"},
      {"explicit lazy marker with greedy on", "b+?", Case::Sensitive, Mode::Greedy, "abbb",
       "(2,1)"},
      {"greedy off applies to groups", "(ab)+", Case::Sensitive, Mode::Lazy, "abab", "(1,2)(1,2)"},
      {"group in a loop keeps its last repetition", "(a|b)*c", Case::Sensitive, Mode::Greedy, "abc",
       "(1,3)(2,1)"},
      {"greedy star gives back", "a.*b", Case::Sensitive, Mode::Greedy, "a1b2b3", "(1,5)"},
      {"lazy star takes the fewest", "a.*b", Case::Sensitive, Mode::Lazy, "a1b2b3", "(1,3)"},
      {"dot matches CR and LF", "a.b.c", Case::Sensitive, Mode::Greedy, "a\rb\nc", "(1,5)"},
      {"blank is ordinary", "a b", Case::Sensitive, Mode::Greedy, "ab a b", "(4,3)"},
      {"case-insensitive literal", "<body", Case::Insensitive, Mode::Greedy, "<BoDy>", "(1,5)"},
      {"case-sensitive literal", "<body", Case::Sensitive, Mode::Greedy, "<BODY>", ""},
      {"case-insensitive class range", "[A-Z]+", Case::Insensitive, Mode::Greedy, "1abC2", "(2,3)"},
      {"negated class rejects both cases", "[^a]", Case::Insensitive, Mode::Greedy, "aAb", "(3,1)"},
      {"Windows-1252 letters fold", "\xE9\x9A\xFF", Case::Insensitive, Mode::Greedy,
       "x\xC9\x8A\x9F", "(2,3)"},
      {"sharp s has no partner", "\xDF", Case::Insensitive, Mode::Greedy, "SS", ""},
      {"backslash makes a dot ordinary", "\\.", Case::Sensitive, Mode::Greedy, "ab.c", "(3,1)"},
      {"double backslash matches one backslash", "a\\\\b", Case::Sensitive, Mode::Greedy, "a\\b",
       "(1,3)"},
      {"escaped bracket in a class", "[\\]x]+", Case::Sensitive, Mode::Greedy, "a]x]", "(2,3)"},
      {"hyphen at the end of a class", "[a-]+", Case::Sensitive, Mode::Greedy, "b-a-", "(2,3)"},
      {"anchors and braces are ordinary", "^a{1}$", Case::Sensitive, Mode::Greedy, "x^a{1}$",
       "(2,6)"},
      {"empty pattern matches empty at 1", "", Case::Sensitive, Mode::Greedy, "abc", "(1,0)"},
      {"server image pattern", "<img[^>]+src=\"(http://h/contents/([^/]+))\"", Case::Insensitive,
       Mode::Lazy, "<p><IMG alt=\"x\" SRC=\"http://h/contents/a b.png\"></p>",
       "(4,44)(22,25)(40,7)"},
      {"server image pattern rejects a further slash", "<img[^>]+src=\"(http://h/c/([^/]+))\"",
       Case::Insensitive, Mode::Lazy, "<img src=\"http://h/c/d/x.png\">", ""},
      {"local image pattern", "<img[^>]+src=\"(file://)?([A-Z]:\\\\.+([^\\\\]+))\"",
       Case::Insensitive, Mode::Lazy, "<img src=\"file://c:\\dir\\a.png\">",
       "(1,30)(11,7)(18,12)(25,5)"},
      {"groups beyond 14 only group", "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)(m)(n)(o)",
       Case::Sensitive, Mode::Greedy, "abcdefghijklmno",
       "(1,15)(1,1)(2,1)(3,1)(4,1)(5,1)(6,1)(7,1)(8,1)(9,1)(10,1)(11,1)(12,1)(13,1)(14,1)"},
  };
  return cases;
}

TEST(PatternMatcherTest, MatchRules) {
  for (const auto& c : matchCases()) {
    SCOPED_TRACE(c.what);
    PatternMatcher m;
    m.setCaseInsensitive(c.folding == Case::Insensitive);
    m.setGreedy(c.mode == Mode::Greedy);
    m.setPattern(c.pattern);
    const int count =
        c.expected.empty()
            ? 0
            : static_cast<int>(std::count(c.expected.begin(), c.expected.end(), '(')) - 1;
    const bool found = m.Exec(c.subject);
    EXPECT_EQ(found, !c.expected.empty());
    if (found) {
      EXPECT_EQ(groups(m, count), c.expected);
    }
  }
}

TEST(PatternMatcherTest, SubjectEndsAtItsFirstNul) {
  PatternMatcher m;
  m.setPattern("c");
  EXPECT_FALSE(m.Exec(std::string("ab\0cd", 5)));
  m.setPattern("b.*");
  ASSERT_TRUE(m.Exec(std::string("ab\0cd", 5)));
  EXPECT_EQ(groups(m, 0), "(2,1)");
  // Regression (found by fuzzing): an empty view without storage.
  m.setPattern("x?");
  EXPECT_TRUE(m.Exec(std::string_view{}));
  EXPECT_EQ(groups(m, 0), "(1,0)");
}

TEST(PatternMatcherTest, OptionsTakeEffectAtTheNextMatchCall) {
  PatternMatcher m;
  m.setPattern("a+");
  ASSERT_TRUE(m.Exec("xAAaa"));
  EXPECT_EQ(groups(m, 0), "(4,2)");
  m.setCaseInsensitive(true);  // after the pattern
  ASSERT_TRUE(m.Exec("xAAaa"));
  EXPECT_EQ(groups(m, 0), "(2,4)");
  ASSERT_TRUE(m.Exec("xAAaa-aA"));
  m.setGreedy(false);  // between Exec and ExecNext
  ASSERT_TRUE(m.ExecNext());
  EXPECT_EQ(groups(m, 0), "(7,1)");
  ASSERT_TRUE(m.ExecNext());
  EXPECT_EQ(groups(m, 0), "(8,1)");
  EXPECT_FALSE(m.ExecNext());
}

TEST(PatternMatcherTest, ExecNextWalksTheMatches) {
  struct Row {
    const char* pattern;
    const char* subject;
    std::vector<int> starts;  // 1-based positions of successive matches
  };
  const Row rows[] = {
      {"an", "banana", {2, 4}},     {"a", "banana", {2, 4, 6}},
      {"x*", "ab", {1, 2, 3}},  // empty matches: one byte further each time
      {"a*", "baab", {1, 2, 4, 5}}, {"q", "banana", {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.pattern);
    PatternMatcher m;
    m.setPattern(row.pattern);
    std::vector<int> starts;
    for (bool found = m.Exec(row.subject); found; found = m.ExecNext()) {
      starts.push_back(static_cast<int>(m.matchPos(0)));
    }
    EXPECT_EQ(starts, row.starts);
    EXPECT_FALSE(m.ExecNext());
    EXPECT_EQ(m.matchPos(0), -1);
  }
}

TEST(PatternMatcherTest, SubstituteTemplateRules) {
  PatternMatcher m;
  m.setPattern("(a)(x)?(b)");
  ASSERT_TRUE(m.Exec("-ab-"));
  const std::pair<const char*, const char*> rows[] = {
      {"$1", "a"},
      {"$2", ""},
      {"${3}", "b"},
      {"$&", "ab"},
      {"[$1$3]", "[ab]"},
      {"$10", ""},
      {"$15", ""},
      {"${15}", ""},
      {"\\$1", "$1"},
      {"\\\\", "\\"},
      {"$x", "$x"},
      {"${x}", "${x}"},
      {"${1", "${1"},
      {"$", "$"},
      {"a$", "a$"},
      {"$$1", "$a"},
      {"trailing\\", "trailing\\"},
  };
  for (const auto& [templateText, expected] : rows) {
    EXPECT_EQ(m.Substitute(templateText), expected) << templateText;
  }
}

TEST(PatternMatcherTest, ReplaceIsLiteralAndKeepsTheRest) {
  struct Row {
    const char* pattern;
    std::string subject;
    const char* replacement;
    std::string expected;
  };
  const Row rows[] = {
      {"a", "banana", "$&", "b$&n$&n$&"},
      {"(n)", "banana", "\\1", "ba\\1a\\1a"},
      {"x*", "ab", "-", "-a-b-"},
      {"q", "banana", "z", "banana"},
      {"a", std::string("a\0a", 3), "x", std::string("x\0a", 3)},
      {"", "", "e", "e"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.pattern);
    PatternMatcher m;
    m.setPattern(row.pattern);
    EXPECT_EQ(m.Replace(row.subject, row.replacement), row.expected);
  }
}

TEST(PatternMatcherTest, CompileErrorsCarryThePosition) {
  const std::pair<const char*, std::size_t> rows[] = {
      {"(a", 1},   {"ab)", 3},   {"[ab", 1},   {"a]", 2},    {"*a", 1},      {"a|+", 3},
      {"(?a)", 2}, {"(a*)*", 5}, {"()+", 3},   {"(a|)*", 5}, {"(a?b?)+", 7}, {"a**", 3},
      {"a+?+", 4}, {"ab\\", 3},  {"[z-a]", 2}, {"[a\\", 1},
  };
  for (const auto& [pattern, position] : rows) {
    SCOPED_TRACE(pattern);
    PatternMatcher m;
    m.setPattern(pattern);  // never throws: compiling waits for a match call
    try {
      m.Exec("abc");
      ADD_FAILURE() << "no error";
    } catch (const EPatternError& e) {
      EXPECT_EQ(e.position(), position);
      EXPECT_NE(std::string(e.what()).find(std::to_string(position)), std::string::npos);
    }
  }
  // "?" after something that can match the empty text is allowed.
  PatternMatcher m;
  m.setPattern("(a*)?b");
  EXPECT_TRUE(m.Exec("b"));
}

TEST(PatternMatcherTest, DeepNestingIsAnErrorNotACrash) {
  PatternMatcher m;
  m.setPattern(std::string(100000, '(') + std::string(100000, ')'));
  EXPECT_THROW(m.Exec("x"), EPatternError);
}

// Inputs on which a backtracker without memo goes exponential or quadratic;
// each must come back (a hang here is the failure).
TEST(PatternMatcherTest, PathologicalInputsStayPolynomial) {
  struct Row {
    const char* pattern;
    std::string subject;
    bool greedy;
    bool found;
  };
  const Row rows[] = {
      {"(a|a)*b", std::string(20000, 'a'), true, false},
      {"(x+x+)+y", std::string(20000, 'x'), true, false},
      {"(a|aa)+c", std::string(20000, 'a'), false, false},
      {"<body.*>(.*)</body>", "<body" + std::string(200000, '>'), false, false},
      {"(.*)(.*)(.*)(.*)z", std::string(20000, 'q'), true, false},
      {"(.*)(.*)(.*)(.*)z", std::string(20000, 'q'), false, false},
      {"((ab)+|b)*c", std::string("ab", 2) + std::string(20000, 'b'), true, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.pattern);
    PatternMatcher m;
    m.setGreedy(row.greedy);
    m.setPattern(row.pattern);
    EXPECT_EQ(m.Exec(row.subject), row.found);
  }
}

// The backtrack stack lives on the heap: a long subject that needs one
// choice per byte must not exhaust the native stack.
TEST(PatternMatcherTest, LongSubjectsDoNotRecurse) {
  std::string subject;
  for (int i = 0; i < 500000; ++i) subject += "ab";
  PatternMatcher m;
  m.setPattern("(ab)*$");
  ASSERT_TRUE(m.Exec(subject + "$"));
  EXPECT_EQ(m.matchLen(0), static_cast<std::ptrdiff_t>(subject.size() + 1));
  EXPECT_EQ(m.matchPos(1), static_cast<std::ptrdiff_t>(subject.size() - 1));
}

}  // namespace
}  // namespace pellora::content
