// One instruction of program memory as text, read back through the
// assembler's instruction table (the UPI-41/42 instructions on top), for
// traces and for code that has no source line.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "sim/variant.h"

namespace zorvin::sim {

// Bytes of the instruction an opcode starts: 1 or 2 (1 for an undefined one).
std::uint8_t instruction_length(std::uint8_t opcode, bool upi);

struct Disassembly {
  std::string text;        // "mov a,#3FH", "jz 012H"; "db 01H" for an undefined opcode
  std::uint8_t length = 1;
  bool defined = false;
};

// The instruction at `address` (wrapped at the memory's size).
Disassembly disassemble(std::span<const std::uint8_t> program, std::uint16_t address, Variant variant);

}  // namespace zorvin::sim
