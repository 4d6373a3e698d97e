// One instruction of program memory as text, from the opcode map: the one
// place that spells an instruction for the disassembler's source, the
// simulator's trace and the debugger's code without a source line.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "dis/opcode_map.h"

namespace zorvin::dis {

// The set of a part that is or is not a UPI-41/42.
constexpr asm48::ext::InstructionSet instruction_set(bool upi) {
  return upi ? asm48::ext::InstructionSet::Upi41 : asm48::ext::InstructionSet::Mcs48;
}

// A number the assemblers read: hexadecimal with at least `digits` digits,
// a leading 0 before a letter and the suffix ("0FFh", "0123H").
std::string hex_number(unsigned value, int digits, char suffix = 'h');

// Where the second byte of the instruction at `address` lies: the program
// counter counts in its low eleven bits only.
constexpr unsigned second_byte_address(unsigned address) { return (address & 0x800u) | ((address + 1u) & 0x7FFu); }

// The address a jump's second byte names: a jmp or call within the bank
// that starts at `bank_base`, a conditional jump within the page of its
// second byte. -1 for an instruction without a target.
std::int32_t jump_target(const Opcode& op, std::uint8_t opcode, std::uint8_t second, unsigned address,
                         unsigned bank_base);

// The operands joined by commas, `given` standing where the second byte's
// operand goes ("r7,L0012", "a,#03h").
std::string operand_text(const Opcode& op, std::string_view given);

struct InstructionText {
  std::string text;         // "mov a,#3FH", "jz 012H"; "db 01H" for an undefined opcode
  std::uint8_t length = 1;  // 1 or 2 bytes
  std::uint8_t cycles = 0;  // 0 for an undefined opcode
  bool defined = false;
};

// The instruction at `address` (wrapped at the memory's size) with numbers
// as the plain dialect writes them; a jmp or call names the bank the
// instruction stands in.
InstructionText instruction_text(std::span<const std::uint8_t> program, std::uint16_t address,
                                 const OpcodeMap& opcodes);

}  // namespace zorvin::dis
