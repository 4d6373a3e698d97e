// The plain encoder of one 8048 instruction and the fitting of a jump to its
// target, as pure functions: they read only their arguments and the
// instruction table, so any front end can encode with them.
#pragma once

#include <cstdint>
#include <string_view>

#include "asm/statement_encoder.h"

namespace zorvin::asm48 {

struct Encoding {
  std::string_view message;        // " -> ..." text when the line does not encode, else empty
  std::uint8_t opcode = 0;
  std::uint8_t operand = 0;        // second byte; for a jump, fit_target fills it
  std::int32_t length = 0;         // 1 or 2 code bytes
  bool needs_target = false;       // the operand named by target_operand is a jump target
  std::uint8_t target_operand = 0; // 1 or 2 while needs_target
};

// Encodes an instruction (jmp and call included; not db, org or equ) from
// its already case-folded mnemonic and the operand texts as written.
// The operand texts are read into a statement (a register word in any case,
// "@" and one, "#" and a number; any other text fits only a target) for the
// statement encoder.
Encoding encode_instruction(std::string_view folded_mnemonic, std::string_view operand1, std::string_view operand2);
// The same through an encoder that keeps its decisions for the run;
// `mnemonic_key` is text_key(folded_mnemonic) where the caller has it.
Encoding encode_instruction(std::string_view folded_mnemonic, std::string_view operand1, std::string_view operand2,
                            StatementEncoder& encoder, std::uint64_t mnemonic_key = 0);

struct FittedJump {
  std::string_view message;  // " -> ..." text when the target is out of reach, else empty
  std::uint8_t opcode = 0;
  std::uint8_t operand = 0;
};

// Completes a jump encoded above (its opcode) standing at `address` for the
// target address. jmp and call carry A10..A8 in the opcode and reach 000H to
// 7FFH; a conditional jump or djnz must stay in the page of its second byte.
FittedJump fit_target(std::uint8_t opcode, std::int32_t address, std::int32_t target);

}  // namespace zorvin::asm48
