#include "dis/opcode_map.h"

#include <cstddef>

#include "asm/instruction_table.h"

namespace zorvin::dis {

namespace {

using asm48::ext::InstructionSet;

constexpr std::size_t kSets = static_cast<std::size_t>(InstructionSet::Cmos48) + 1;

// Instructions of one byte that still take two cycles (every two-byte one
// does): the port, bus and external-memory transfers, the reads from
// program memory and the returns.
bool takes_two_cycles(const Opcode& op) {
  if (op.length == 2) return true;
  if (op.operand1 == "dbb" || op.operand2 == "dbb") return false;  // the UPI's data bus buffer is one cycle
  static constexpr std::string_view kTwoCycles[] = {"in",  "ins", "outl",  "movd", "anld", "orld",
                                                    "movx", "movp", "movp3", "jmpp", "ret",  "retr",
                                                    "reti", "rad"};
  for (std::string_view m : kTwoCycles)
    if (op.mnemonic == m) return true;
  return false;
}

FlowKind flow_of(const Opcode& op) {
  const std::string_view m = op.mnemonic;
  if (m == "jmp") return FlowKind::Jump;
  if (m == "call") return FlowKind::Call;
  if (m == "ret" || m == "retr" || m == "reti") return FlowKind::Return;
  if (m == "jmpp") return FlowKind::TableJump;
  if (m == "movp") return FlowKind::Table;
  if (m == "movp3") return FlowKind::Table3;
  if (m == "sel" && op.operand1 == "mb0") return FlowKind::SelectBank0;
  if (m == "sel" && op.operand1 == "mb1") return FlowKind::SelectBank1;
  if (op.second == SecondByte::PageTarget) return FlowKind::Branch;
  return FlowKind::Next;
}

// Operand field of a table row: a register word, or empty for the data or
// target placeholder (then `second` says which).
std::string_view operand_of(std::string_view field, std::uint8_t position, Opcode& op) {
  if (field == asm48::kDataPlaceholder) op.second = SecondByte::Immediate;
  else if (field == asm48::kAddressPlaceholder) op.second = SecondByte::PageTarget;
  else return field;
  op.second_operand = position;
  return {};
}

std::uint8_t opcode_bits(std::string_view bits) {
  unsigned value = 0;
  for (const char c : bits) value = (value << 1) | (c == '1' ? 1u : 0u);
  return static_cast<std::uint8_t>(value);
}

void finish(Opcode& op) {
  op.flow = flow_of(op);
  op.cycles = takes_two_cycles(op) ? 2 : 1;
}

OpcodeMap build(InstructionSet set) {
  OpcodeMap map{};
  // The forms with p0 are the 8021's names for ins a,bus and movx @r0,a:
  // they take an opcode only where the part lacks those.
  for (const bool p0_forms : {false, true}) {
    for (std::size_t row = 0; row + 1 < asm48::table_size(); ++row) {
      const std::string_view text = asm48::table_row(row);
      Opcode op;
      op.mnemonic = asm48::row_field(text, 1);
      op.operand1 = operand_of(asm48::row_field(text, 2), 1, op);
      op.operand2 = operand_of(asm48::row_field(text, 3), 2, op);
      op.length = asm48::row_field(text, 5) == "2" ? 2 : 1;
      const std::uint8_t code = opcode_bits(asm48::row_field(text, 6));
      if ((op.operand1 == "p0" || op.operand2 == "p0") != p0_forms) continue;
      if (asm48::missing_in(set, op.mnemonic, op.operand1, op.operand2)) continue;
      if (map[code].defined()) continue;
      finish(op);
      map[code] = op;
    }
  }
  // jmp and call carry address bits 8 to 10 in the opcode.
  for (unsigned high = 0; high < 8; ++high) {
    for (const auto& [mnemonic, low] : {std::pair<std::string_view, unsigned>{"jmp", 0x04}, {"call", 0x14}}) {
      Opcode op;
      op.mnemonic = mnemonic;
      op.length = 2;
      op.second = SecondByte::LongTarget;
      op.second_operand = 1;
      finish(op);
      map[(high << 5) | low] = op;
    }
  }
  {
    for (const asm48::ext::UpiInstruction& row : asm48::instructions_only_in(set)) {
      Opcode op;
      op.mnemonic = row.mnemonic;
      op.operand1 = row.operand1;
      op.operand2 = row.operand2;
      op.length = row.branch ? 2 : 1;
      op.second = row.branch ? SecondByte::PageTarget : SecondByte::None;
      op.second_operand = row.branch ? 1 : 0;
      finish(op);
      map[row.opcode] = op;
    }
  }
  return map;
}

}  // namespace

const OpcodeMap& opcode_map(InstructionSet set) {
  static const std::array<OpcodeMap, kSets> maps = [] {
    std::array<OpcodeMap, kSets> built{};
    for (std::size_t i = 0; i < kSets; ++i) built[i] = build(static_cast<InstructionSet>(i));
    return built;
  }();
  return maps[static_cast<std::size_t>(set)];
}

const std::array<std::uint8_t, 256>& cycle_table(InstructionSet set) {
  const auto table_of = [](InstructionSet of) {
    std::array<std::uint8_t, 256> cycles{};
    const OpcodeMap& map = opcode_map(of);
    for (std::size_t op = 0; op < cycles.size(); ++op) cycles[op] = map[op].defined() ? map[op].cycles : 0;
    return cycles;
  };
  static const std::array<std::array<std::uint8_t, 256>, kSets> tables = [&table_of] {
    std::array<std::array<std::uint8_t, 256>, kSets> built{};
    for (std::size_t i = 0; i < kSets; ++i) built[i] = table_of(static_cast<InstructionSet>(i));
    return built;
  }();
  return tables[static_cast<std::size_t>(set)];
}

}  // namespace zorvin::dis
