#include "dis/instruction_text.h"

#include <cstdio>

namespace zorvin::dis {

std::string hex_number(unsigned value, int digits, char suffix) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  std::string out = text;
  if (out[0] >= 'A' && out[0] <= 'F') out.insert(out.begin(), '0');
  out += suffix;
  return out;
}

std::int32_t jump_target(const Opcode& op, std::uint8_t opcode, std::uint8_t second, unsigned address,
                         unsigned bank_base) {
  // jmp and call carry address bits 8 to 10 in the opcode.
  if (op.second == SecondByte::LongTarget)
    return static_cast<std::int32_t>(bank_base | ((opcode & 0xE0u) << 3) | second);
  if (op.second == SecondByte::PageTarget)
    return static_cast<std::int32_t>((second_byte_address(address) & 0xF00u) | second);
  return -1;
}

std::string operand_text(const Opcode& op, std::string_view given) {
  std::string operands;
  for (const std::uint8_t position : {1, 2}) {
    const std::string_view part = op.second_operand == position ? given : position == 1 ? op.operand1 : op.operand2;
    if (part.empty()) continue;
    if (!operands.empty()) operands += ',';
    operands += part;
  }
  return operands;
}

InstructionText instruction_text(std::span<const std::uint8_t> program, std::uint16_t address,
                                 const OpcodeMap& opcodes) {
  InstructionText out;
  if (program.empty()) return out;
  const auto byte_at = [&](unsigned at) { return program[at % program.size()]; };
  const std::uint8_t opcode = byte_at(address);
  const Opcode& op = opcodes[opcode];
  if (!op.defined()) {
    // Appended, not "db " + text: GCC 12 at -O3 warns falsely (-Wrestrict).
    out.text = std::string("db ").append(hex_number(opcode, 2, 'H'));
    return out;
  }
  out.defined = true;
  out.length = op.length;
  out.cycles = op.cycles;
  const std::uint8_t second = byte_at(second_byte_address(address));
  std::string given;
  if (op.second == SecondByte::Immediate) given = std::string(1, '#').append(hex_number(second, 2, 'H'));
  else if (op.second != SecondByte::None)
    given = hex_number(static_cast<unsigned>(jump_target(op, opcode, second, address, address & 0x800u)), 3, 'H');
  out.text = std::string(op.mnemonic);
  const std::string operands = operand_text(op, given);
  if (!operands.empty()) out.text.append(1, ' ').append(operands);
  return out;
}

}  // namespace zorvin::dis
