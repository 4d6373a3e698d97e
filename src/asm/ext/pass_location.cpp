// The location counter and the part: org, reserve, fill up to, cpu.
#include "asm/ext/pass_engine.h"

namespace zorvin::asm48::ext::engine {

void Pass::org(const Statement& s) {
  const auto v = value(s.operands);
  if (v && in_range(*v, 0, memory_size() - 1)) location_ = *v;
  if (ListingLine* shown = listed()) shown->address = location_;
}

void Pass::reserve(const Statement& s) {
  const auto v = value(s.operands);
  if (!v || !in_range(*v, 0, memory_size())) return;
  if (location_ + *v > memory_size()) return report(kBeyondProgramMemory);
  append_reserve(result_.table, line_no(), location_, *v);
  if (ListingLine* shown = listed()) shown->address = location_;
  location_ += *v;
}

void Pass::cpu(const Statement& s) {
  const auto part = part_of(s.operand_text);
  if (!part) return report(kUnknownCpu, s.operand_text);
  set_ = part->set;
  memory_ = part->program_memory;
}

void Pass::fill_to(const Statement& s) {
  const auto v = value(s.operands);
  if (!v || !in_range(*v, location_, memory_size())) return;
  append_reserve(result_.table, line_no(), location_, *v - location_);
  location_ = *v;
}

}  // namespace zorvin::asm48::ext::engine
