// Recursive descent over the pattern text; recursion depth is bounded by
// kMaxNesting, never by the length of a subject. Covered by
// tests/content/pattern_matcher_test.cpp (compile errors table).
#include "content/pattern_error.h"
#include "content/pattern_syntax.h"

namespace pellora::content::detail {

namespace {

bool isQuantifier(char c) { return c == '*' || c == '+' || c == '?'; }

class Parser {
 public:
  explicit Parser(std::string_view pattern) : text_(pattern) {}

  std::unique_ptr<Node> parseAll() {
    auto root = parseAlternation();
    if (index_ < text_.size()) {
      // parseAlternation stops only at the end or at a ")" it did not open.
      throw EPatternError("unbalanced \")\"", position());
    }
    return root;
  }

 private:
  std::size_t position() const { return index_ + 1; }
  bool atEnd() const { return index_ >= text_.size(); }
  char peek() const { return text_[index_]; }

  std::unique_ptr<Node> parseAlternation() {
    auto first = parseConcat();
    if (atEnd() || peek() != '|') return first;
    auto alternation = std::make_unique<Node>(Node::Kind::Alternation);
    alternation->children.push_back(std::move(first));
    while (!atEnd() && peek() == '|') {
      ++index_;
      alternation->children.push_back(parseConcat());
    }
    return alternation;
  }

  std::unique_ptr<Node> parseConcat() {
    auto concat = std::make_unique<Node>(Node::Kind::Concat);
    while (!atEnd() && peek() != '|' && peek() != ')') {
      if (isQuantifier(peek())) {
        throw EPatternError("quantifier \"" + std::string(1, peek()) + "\" follows nothing",
                            position());
      }
      concat->children.push_back(parseQuantified(parseAtom()));
    }
    if (concat->children.empty()) return std::make_unique<Node>(Node::Kind::Empty);
    if (concat->children.size() == 1) return std::move(concat->children.front());
    return concat;
  }

  std::unique_ptr<Node> parseQuantified(std::unique_ptr<Node> atom) {
    if (atEnd() || !isQuantifier(peek())) return atom;
    const char quantifier = peek();
    if (quantifier != '?' && isNullable(*atom)) {
      throw EPatternError("\"" + std::string(1, quantifier) +
                              "\" follows an expression that can match the empty text",
                          position());
    }
    auto repeat = std::make_unique<Node>(Node::Kind::Repeat);
    repeat->optional = quantifier != '+';
    repeat->unbounded = quantifier != '?';
    repeat->children.push_back(std::move(atom));
    ++index_;
    if (!atEnd() && peek() == '?') {
      repeat->lazy = true;
      ++index_;
    }
    if (!atEnd() && isQuantifier(peek())) {
      throw EPatternError("quantifier \"" + std::string(1, peek()) + "\" follows a quantifier",
                          position());
    }
    return repeat;
  }

  std::unique_ptr<Node> parseAtom() {
    const char c = peek();
    if (c == '(') return parseGroup();
    if (c == '[') return parseClass();
    if (c == ']') throw EPatternError("unbalanced \"]\"", position());
    auto node = std::make_unique<Node>(Node::Kind::Bytes);
    if (c == '.') {
      node->bytes.set();
      ++index_;
      return node;
    }
    if (c == '\\') {
      if (index_ + 1 >= text_.size()) throw EPatternError("trailing backslash", position());
      ++index_;
    }
    node->bytes.set(static_cast<unsigned char>(peek()));
    ++index_;
    return node;
  }

  std::unique_ptr<Node> parseGroup() {
    const std::size_t open = position();
    if (++depth_ > kMaxNesting) throw EPatternError("parentheses nested too deeply", open);
    ++index_;
    auto group = std::make_unique<Node>(Node::Kind::Group);
    ++groupCount_;
    group->group = groupCount_ <= kMaxGroups ? groupCount_ : 0;
    group->children.push_back(parseAlternation());
    if (atEnd()) throw EPatternError("missing \")\" for the \"(\"", open);
    ++index_;  // the ")"
    --depth_;
    return group;
  }

  std::unique_ptr<Node> parseClass() {
    const std::size_t open = position();
    ++index_;
    auto node = std::make_unique<Node>(Node::Kind::Bytes);
    if (!atEnd() && peek() == '^') {
      node->negated = true;
      ++index_;
    }
    while (true) {
      if (atEnd()) throw EPatternError("missing \"]\" for the \"[\"", open);
      if (peek() == ']') break;
      const std::size_t memberPosition = position();
      const unsigned char low = classByte(open);
      unsigned char high = low;
      if (index_ + 1 < text_.size() && peek() == '-' && text_[index_ + 1] != ']') {
        ++index_;
        high = classByte(open);
        if (high < low) throw EPatternError("range out of order", memberPosition);
      }
      for (unsigned b = low; b <= high; ++b) node->bytes.set(b);
    }
    ++index_;  // the "]"
    return node;
  }

  // One member byte of a class, with its escaping backslash.
  unsigned char classByte(std::size_t open) {
    if (peek() == '\\') {
      ++index_;
      if (atEnd()) throw EPatternError("missing \"]\" for the \"[\"", open);
    }
    return static_cast<unsigned char>(text_[index_++]);
  }

  std::string_view text_;
  std::size_t index_ = 0;
  int groupCount_ = 0;
  int depth_ = 0;
};

}  // namespace

bool isNullable(const Node& node) {
  switch (node.kind) {
    case Node::Kind::Empty:
      return true;
    case Node::Kind::Bytes:
      return false;
    case Node::Kind::Concat:
      for (const auto& child : node.children) {
        if (!isNullable(*child)) return false;
      }
      return true;
    case Node::Kind::Alternation:
      for (const auto& child : node.children) {
        if (isNullable(*child)) return true;
      }
      return false;
    case Node::Kind::Group:
      return isNullable(*node.children.front());
    case Node::Kind::Repeat:
      return node.optional || isNullable(*node.children.front());
  }
  return false;
}

std::unique_ptr<Node> parsePattern(std::string_view pattern) { return Parser(pattern).parseAll(); }

}  // namespace pellora::content::detail
