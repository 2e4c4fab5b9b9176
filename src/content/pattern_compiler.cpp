// Tree to program. Quantifiers over a single byte class become one Star
// instruction with a precomputed stop table, which is what lets `.*?` and
// `[^>]+?` skip over text without a backtrack entry per byte. Covered by
// tests/content/pattern_matcher_test.cpp and pattern_differential_test.cpp.
#include <vector>

#include "content/case_map.h"
#include "content/pattern_program.h"

namespace pellora::content::detail {

namespace {

using Op = Instruction::Op;

int addTable(Program& program, const ByteSet& set) {
  ByteTable table;
  for (unsigned b = 0; b < 256; ++b) {
    if (set.test(b)) {
      table.has[b] = true;
      table.only = static_cast<unsigned char>(b);
      ++table.count;
    }
  }
  program.tables.push_back(table);
  return static_cast<int>(program.tables.size()) - 1;
}

class Compiler {
 public:
  Compiler(Program& program, CaseFolding folding, Repetition repetition)
      : program_(program), folding_(folding), repetition_(repetition) {}

  void emit(const Node& node) {
    switch (node.kind) {
      case Node::Kind::Empty:
        return;
      case Node::Kind::Bytes:
        add({.op = Op::Bytes, .table = tableFor(node)});
        return;
      case Node::Kind::Concat:
        for (const auto& child : node.children) emit(*child);
        return;
      case Node::Kind::Alternation:
        emitAlternation(node);
        return;
      case Node::Kind::Group:
        if (node.group > 0) add({.op = Op::Save, .slot = 2 * node.group});
        emit(*node.children.front());
        if (node.group > 0) add({.op = Op::Save, .slot = 2 * node.group + 1});
        return;
      case Node::Kind::Repeat:
        emitRepeat(node);
        return;
    }
  }

  int add(Instruction instruction) {
    program_.code.push_back(instruction);
    return here() - 1;
  }

  int here() const { return static_cast<int>(program_.code.size()); }

 private:
  int tableFor(const Node& node) {
    ByteSet set = node.bytes;
    if (folding_ == CaseFolding::On) {
      for (unsigned b = 0; b < 256; ++b) {
        if (node.bytes.test(b)) set.set(otherCaseCp1252(static_cast<unsigned char>(b)));
      }
    }
    // Negation comes after folding: "[^a]" rejects "A" as well.
    if (node.negated) set.flip();
    return addTable(program_, set);
  }

  int newMemo() { return program_.memoRows++; }

  // A split whose choices are filled in once both targets are known.
  int addSplit() { return add({.op = Op::Split, .memo = newMemo()}); }

  void setChoices(int split, int preferred, int other) {
    program_.code[split].next = preferred;
    program_.code[split].alternative = other;
  }

  void emitAlternation(const Node& node) {
    std::vector<int> exits;
    for (std::size_t i = 0; i + 1 < node.children.size(); ++i) {
      const int split = addSplit();
      emit(*node.children[i]);
      exits.push_back(add({.op = Op::Jump}));
      setChoices(split, split + 1, here());
    }
    emit(*node.children.back());
    for (int exit : exits) program_.code[exit].next = here();
  }

  void emitRepeat(const Node& node) {
    const bool lazy = node.lazy || repetition_ == Repetition::Lazy;
    const Node& body = *node.children.front();
    if (node.unbounded && body.kind == Node::Kind::Bytes) {
      const int table = tableFor(body);
      if (!node.optional) add({.op = Op::Bytes, .table = table});
      add({.op = Op::Star, .lazy = lazy, .table = table, .memo = newMemo()});
      return;
    }
    if (!node.unbounded) {  // "?"
      const int split = addSplit();
      emit(body);
      lazy ? setChoices(split, here(), split + 1) : setChoices(split, split + 1, here());
      return;
    }
    if (node.optional) {  // "*"
      const int split = addSplit();
      emit(body);
      add({.op = Op::Jump, .next = split});
      lazy ? setChoices(split, here(), split + 1) : setChoices(split, split + 1, here());
      return;
    }
    // "+"
    const int loop = here();
    emit(body);
    const int split = addSplit();
    lazy ? setChoices(split, here(), loop) : setChoices(split, loop, here());
  }

  Program& program_;
  CaseFolding folding_;
  Repetition repetition_;
};

// The bytes that can be consumed first from `start` on, and whether Match
// can be reached without consuming anything.
void firstBytes(const Program& program, int start, ByteSet& bytes, bool& nullable) {
  bytes.reset();
  nullable = false;
  std::vector<bool> seen(program.code.size(), false);
  std::vector<int> work{start};
  while (!work.empty()) {
    const int pc = work.back();
    work.pop_back();
    if (seen[pc]) continue;
    seen[pc] = true;
    const Instruction& in = program.code[pc];
    switch (in.op) {
      case Op::Bytes:
        for (unsigned b = 0; b < 256; ++b) {
          if (program.tables[in.table].has[b]) bytes.set(b);
        }
        break;
      case Op::Star:
        for (unsigned b = 0; b < 256; ++b) {
          if (program.tables[in.table].has[b]) bytes.set(b);
        }
        work.push_back(pc + 1);
        break;
      case Op::Split:
        work.push_back(in.next);
        work.push_back(in.alternative);
        break;
      case Op::Jump:
        work.push_back(in.next);
        break;
      case Op::Save:
        work.push_back(pc + 1);
        break;
      case Op::Match:
        nullable = true;
        break;
    }
  }
}

}  // namespace

Program compileProgram(const Node& root, CaseFolding folding, Repetition repetition) {
  Program program;
  Compiler compiler(program, folding, repetition);
  compiler.add({.op = Op::Save, .slot = 0});
  compiler.emit(root);
  compiler.add({.op = Op::Save, .slot = 1});
  compiler.add({.op = Op::Match});

  for (int pc = 0; pc < static_cast<int>(program.code.size()); ++pc) {
    if (program.code[pc].op != Op::Star) continue;
    ByteSet follow;
    bool nullable = false;
    firstBytes(program, pc + 1, follow, nullable);
    if (nullable) follow.set();
    // A greedy scan stops where the repetition must end; a lazy one also
    // where the continuation might start, passing over everything else.
    ByteSet stop;
    if (program.code[pc].lazy) stop = follow;
    for (unsigned b = 0; b < 256; ++b) {
      if (!program.tables[program.code[pc].table].has[b]) stop.set(b);
    }
    const int followTable = addTable(program, follow);
    const int stopTable = addTable(program, stop);
    program.code[pc].follow = followTable;
    program.code[pc].stop = stopTable;
    program.code[pc].followNullable = nullable;
  }

  ByteSet first;
  firstBytes(program, 0, first, program.nullable);
  program.first = addTable(program, first);
  return program;
}

}  // namespace pellora::content::detail
