// The location counter and the part: org, reserve, fill up to, cpu.
#include "asm/ext/pass_engine.h"

namespace zorvin::asm48::ext::engine {

// The operands "where" or "where, fill": the value of the first, and the
// fill byte when the second stands. False after a message.
bool Pass::place_and_fill(const Statement& s, std::int32_t low, std::int32_t high, std::int32_t& where,
                          std::optional<std::int32_t>& fill) {
  const auto parts = split_operands(s.operands);
  if (parts.size() > 2) return report(kParameterError), false;
  const auto v = value(parts.empty() ? s.operands : parts[0]);
  if (!v || !in_range(*v, low, high)) return false;
  where = *v;
  fill.reset();
  if (parts.size() == 2) {
    fill = value(parts[1]);
    if (!fill || !in_range(*fill, -128, 255)) return false;
  }
  return true;
}

// That many bytes of the fill value at the location counter.
void Pass::emit_fill(std::int32_t count, std::int32_t fill) {
  if (location_ + count > memory_size()) return report(kBeyondProgramMemory);
  data_.bytes.assign(static_cast<std::size_t>(count), static_cast<std::uint8_t>(fill & 0xFF));
  emit(data_.bytes.data(), data_.bytes.size(), true);
}

// org address; "org address, fill" (asm48) fills the gap up to a higher address.
void Pass::org(const Statement& s) {
  std::int32_t where = 0;
  std::optional<std::int32_t> fill;
  bool filled = false;
  if (place_and_fill(s, 0, memory_size() - 1, where, fill)) {
    filled = fill && where > location_;
    if (filled) emit_fill(where - location_, *fill);
    location_ = where;
  }
  // A filled gap is listed where it starts.
  if (ListingLine* shown = listed(); shown && !filled) shown->address = location_;
}

// ds count; "ds count, fill" (SB's .BS) places the fill byte there.
void Pass::reserve(const Statement& s) {
  std::int32_t count = 0;
  std::optional<std::int32_t> fill;
  if (!place_and_fill(s, 0, memory_size(), count, fill)) return;
  if (fill) return emit_fill(count, *fill);
  const std::optional<std::int32_t> v = count;
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

// up to an address; "address, fill" (SB's .NO) fills the gap.
void Pass::fill_to(const Statement& s) {
  std::int32_t where = 0;
  std::optional<std::int32_t> fill;
  if (!place_and_fill(s, location_, memory_size(), where, fill)) return;
  if (fill) return emit_fill(where - location_, *fill);
  const std::optional<std::int32_t> v = where;
  append_reserve(result_.table, line_no(), location_, *v - location_);
  location_ = *v;
}

}  // namespace zorvin::asm48::ext::engine
