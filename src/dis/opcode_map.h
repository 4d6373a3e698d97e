// What each of the 256 opcodes is, read from the assembler's own
// instruction table (and the UPI-41/42 changes on top of it): the text a
// disassembler writes and what the instruction does to the program flow.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "asm/ext/instruction.h"

namespace zorvin::dis {

// What the second byte of a two-byte instruction is.
enum class SecondByte : std::uint8_t { None, Immediate, PageTarget, LongTarget };

// What an instruction does to the flow of the program.
enum class FlowKind : std::uint8_t {
  Next,         // goes on with the next instruction
  Jump,         // jmp: goes on at its target only
  Call,         // call: its target, and the next instruction after the return
  Branch,       // conditional jump or djnz: its target or the next instruction
  Return,       // ret, retr: ends the path
  TableJump,    // jmpp @a: a target read from the current page; ends the path
  Table,        // movp a,@a: reads a table in the current page
  Table3,       // movp3 a,@a: reads a table in page 3
  SelectBank0,  // sel mb0
  SelectBank1,  // sel mb1
};

struct Opcode {
  std::string_view mnemonic;  // empty for an opcode the set does not define
  std::string_view operand1;  // register words as the table writes them; the
  std::string_view operand2;  // immediate or target operand is an empty view
  std::uint8_t length = 1;
  std::uint8_t cycles = 1;
  SecondByte second = SecondByte::None;
  std::uint8_t second_operand = 0;  // 1 or 2: the operand the second byte gives, else 0
  FlowKind flow = FlowKind::Next;

  bool defined() const { return !mnemonic.empty(); }
};

using OpcodeMap = std::array<Opcode, 256>;

// The map of a set, built once.
const OpcodeMap& opcode_map(asm48::ext::InstructionSet set);

// Machine cycles by opcode, 0 for an undefined one: the map's cycles as a
// plain table for an interpreter's inner loop.
const std::array<std::uint8_t, 256>& cycle_table(asm48::ext::InstructionSet set);

}  // namespace zorvin::dis
