#include "analysis/cycles.h"

#include <algorithm>

#include "analysis/flow.h"
#include "dis/instruction_text.h"

namespace zorvin::analysis {

namespace {

constexpr std::uint8_t kMovRegImmediate = 0xB8;  // mov rN,#k
// How far back a loop's mov rN,#k is looked for.
constexpr int kCountLookBack = 16;

bool starts_instruction(const Program& program, std::int32_t address) {
  if (!program.inside(address)) return false;
  const ByteUse use = program.use[static_cast<std::size_t>(address)];
  return use == ByteUse::Instruction || use == ByteUse::Unknown;
}

const dis::Opcode& opcode_at(const Program& program, std::int32_t address) {
  return opcodes_of(program)[program.bytes[static_cast<std::size_t>(address)]];
}

// Instructions starting in first..last: from the source's lines, or decoded
// one after the other from `first` in a bare image.
std::vector<std::int32_t> instructions_in(const Program& program, std::int32_t first, std::int32_t last) {
  std::vector<std::int32_t> found;
  first = std::max(first, 0);
  last = std::min(last, kMemorySize - 1);
  for (std::int32_t at = first; at <= last;) {
    if (!starts_instruction(program, at) || !opcode_at(program, at).defined()) {
      ++at;
      continue;
    }
    found.push_back(at);
    at += program.from_source ? 1 : opcode_at(program, at).length;
  }
  return found;
}

// Whether the instruction changes register rN, or which bank rN is in.
bool writes_register(std::uint8_t opcode, int reg) {
  if (opcode == 0xC5 || opcode == 0xD5) return true;  // sel rb0, sel rb1
  const auto r = static_cast<std::uint8_t>(reg);
  for (const std::uint8_t base : {0xA8, 0xB8, 0x18, 0xC8, 0x28, 0xE8})
    if (opcode == (base | r)) return true;
  return false;
}

std::optional<int> loop_count(const Program& program, const LoopCycles& loop, const std::vector<std::int32_t>& range) {
  for (const std::int32_t at : range)
    if (at >= loop.start && at < loop.djnz && writes_register(program.bytes[static_cast<std::size_t>(at)], loop.reg))
      return std::nullopt;
  // Back from the loop's start: through the range first, then the source.
  auto earlier = std::lower_bound(range.begin(), range.end(), loop.start);
  std::int32_t at = earlier != range.begin() ? *std::prev(earlier) : previous_instruction(program, loop.start);
  for (int step = 0; step < kCountLookBack && at >= 0; ++step) {
    const std::uint8_t opcode = program.bytes[static_cast<std::size_t>(at)];
    if (writes_register(opcode, loop.reg)) {
      if (opcode != (kMovRegImmediate | loop.reg)) return std::nullopt;
      const int k = program.bytes[static_cast<std::size_t>(at) + 1];
      return k == 0 ? 256 : k;
    }
    const dis::FlowKind flow = opcode_at(program, at).flow;
    // Past a jump the loop may come from elsewhere; a call may change the register.
    if (flow == dis::FlowKind::Jump || flow == dis::FlowKind::Return || flow == dis::FlowKind::TableJump ||
        flow == dis::FlowKind::Call)
      return std::nullopt;
    earlier = std::lower_bound(range.begin(), range.end(), at);
    at = earlier != range.begin() ? *std::prev(earlier) : previous_instruction(program, at);
  }
  return std::nullopt;
}

struct Term {
  std::int64_t constant = 0;
  std::string formula;
  std::optional<std::int64_t> value;
};

class RangeEvaluator {
 public:
  RangeEvaluator(const Program& program, const std::vector<std::int32_t>& instructions,
                 const std::vector<LoopCycles>& loops)
      : program_(program), instructions_(instructions), loops_(loops) {}

  // The instructions in from..to (addresses, both included) with the loops
  // that lie inside and are not `self`.
  Term evaluate(std::int32_t from, std::int32_t to, std::size_t self) const {
    Term term;
    std::int64_t known = 0;
    bool all_known = true;
    std::vector<std::string> parts;
    std::int32_t covered_to = -1;  // instructions up to here belong to a loop counted already
    for (const std::int32_t at : instructions_) {
      if (at < from || at > to || at <= covered_to) continue;
      const std::size_t loop = outermost_loop_at(at, from, to, self);
      if (loop == loops_.size()) {
        term.constant += cycles_at(program_, at);
        continue;
      }
      const LoopCycles& inner = loops_[loop];
      const Term body = evaluate(inner.start, inner.djnz, loop);
      parts.push_back(body.formula.find('+') == std::string::npos ? body.formula + "·" + inner.name
                                                                   : "(" + body.formula + ")·" + inner.name);
      if (body.value && inner.count) known += *body.value * *inner.count;
      else all_known = false;
      covered_to = inner.djnz;
    }
    term.formula = std::to_string(term.constant);
    if (!parts.empty() && term.constant == 0) term.formula.clear();
    for (const std::string& part : parts) term.formula += (term.formula.empty() ? "" : "+") + part;
    if (all_known) term.value = term.constant + known;
    return term;
  }

 private:
  // The widest loop (other than `self`) that starts at `at` and ends
  // inside from..to; loops_.size() when none does.
  std::size_t outermost_loop_at(std::int32_t at, std::int32_t from, std::int32_t to, std::size_t self) const {
    std::size_t found = loops_.size();
    for (std::size_t i = 0; i < loops_.size(); ++i) {
      const LoopCycles& loop = loops_[i];
      if (i == self || loop.start != at || loop.djnz > to || loop.start < from) continue;
      if (self < loops_.size() && loop.start == loops_[self].start && loop.djnz >= loops_[self].djnz) continue;
      if (found == loops_.size() || loop.djnz > loops_[found].djnz) found = i;
    }
    return found;
  }

  const Program& program_;
  const std::vector<std::int32_t>& instructions_;
  const std::vector<LoopCycles>& loops_;
};

// Keeps loops that nest; one that starts inside another and ends beyond it
// runs its instructions straight.
std::vector<LoopCycles> nested_loops(std::vector<LoopCycles> loops) {
  std::sort(loops.begin(), loops.end(), [](const LoopCycles& a, const LoopCycles& b) {
    return a.start != b.start ? a.start < b.start : a.djnz > b.djnz;
  });
  std::vector<LoopCycles> kept;
  for (const LoopCycles& loop : loops) {
    const bool crosses = std::any_of(kept.begin(), kept.end(), [&](const LoopCycles& outer) {
      return loop.start > outer.start && loop.start <= outer.djnz && loop.djnz > outer.djnz;
    });
    if (!crosses) kept.push_back(loop);
  }
  return kept;
}

}  // namespace

int cycles_at(const Program& program, std::int32_t address) {
  if (!starts_instruction(program, address)) return 0;
  return opcode_at(program, address).defined() ? opcode_at(program, address).cycles : 0;
}

RangeCycles range_cycles(const Program& program, std::int32_t first, std::int32_t last) {
  RangeCycles result;
  result.first = first;
  result.last = last;
  const std::vector<std::int32_t> instructions = instructions_in(program, first, last);
  std::vector<LoopCycles> loops;
  for (const std::int32_t at : instructions) {
    result.straight += cycles_at(program, at);
    const std::uint8_t opcode = program.bytes[static_cast<std::size_t>(at)];
    const dis::Opcode& op = opcode_at(program, at);
    if (op.mnemonic != "djnz" || !program.inside(at + 1)) continue;
    const std::int32_t target =
        dis::jump_target(op, opcode, program.bytes[static_cast<std::size_t>(at) + 1], static_cast<unsigned>(at), 0);
    if (target < first || target > at || !std::binary_search(instructions.begin(), instructions.end(), target)) continue;
    LoopCycles loop;
    loop.start = target;
    loop.djnz = at;
    loop.reg = opcode & 7;
    loops.push_back(loop);
  }
  result.loops = nested_loops(std::move(loops));
  for (std::size_t i = 0; i < result.loops.size(); ++i) {
    LoopCycles& loop = result.loops[i];
    loop.name = result.loops.size() == 1 ? "N" : "N" + std::to_string(i + 1);
    loop.count = loop_count(program, loop, instructions);
  }
  if (result.loops.empty()) {
    result.total = result.straight;
    return result;
  }
  const Term whole = RangeEvaluator(program, instructions, result.loops).evaluate(first, last, result.loops.size());
  result.formula = whole.formula;
  result.total = whole.value;
  return result;
}

std::optional<RangeCycles> line_range_cycles(const Program& program, std::int32_t first_line, std::int32_t last_line) {
  std::int32_t first = -1;
  std::int32_t last = -1;
  for (std::int32_t at = 0; at < kMemorySize; ++at) {
    const std::int32_t line = program.lines[static_cast<std::size_t>(at)];
    if (line < first_line || line > last_line || program.use[static_cast<std::size_t>(at)] != ByteUse::Instruction) continue;
    if (first < 0) first = at;
    last = at;
  }
  if (first < 0) return std::nullopt;
  return range_cycles(program, first, last);
}

std::string RangeCycles::figures() const {
  std::string text = std::to_string(straight);
  if (formula.empty()) return text;
  text += ", mit Schleifen: " + formula + "; ";
  std::string counts;
  for (const LoopCycles& loop : loops) {
    if (!counts.empty()) counts += ", ";
    counts += loop.name + (loop.count ? " = " + std::to_string(*loop.count) : "") + " (r" + std::to_string(loop.reg) + ")";
  }
  return text + counts + (total ? ": " + std::to_string(*total) : " unbekannt");
}

}  // namespace zorvin::analysis
