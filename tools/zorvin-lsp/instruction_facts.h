// What the editor shows about an instruction and offers for completion:
// mnemonics, register words, the directive words of a dialect, machine
// cycles and the flags an instruction changes. Mnemonics, registers and
// cycles come from the opcode map the disassembler and simulator use.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "asm/dialect/convention.h"
#include "asm/statement_encoder.h"

namespace zorvin::lsp {

struct MnemonicFacts {
  std::string mnemonic;  // folded
  int min_cycles = 0;    // over its opcodes in either set
  int max_cycles = 0;
  bool in_mcs48 = false;  // the 8048 family's set has it
  bool in_upi = false;    // the UPI-41/42's set has it

  bool in(asm48::InstructionSet set) const { return set == asm48::InstructionSet::Upi41 ? in_upi : in_mcs48; }
};

// The facts of a folded mnemonic, or nullptr.
const MnemonicFacts* find_mnemonic(std::string_view folded);

// Every mnemonic, sorted; every register word the instructions take.
const std::vector<MnemonicFacts>& all_mnemonics();
const std::vector<std::string>& register_words();

// Machine cycles of an opcode in the set, 0 for one the set lacks.
int cycles_of_opcode(std::uint8_t opcode, asm48::InstructionSet set);

// German text of the flags and states the instruction changes, e.g. "C, AC";
// empty when it changes none. `operands` is the operand text as written.
std::string changed_flags(std::string_view folded_mnemonic, std::string_view operands);

// The directive words a source in the dialect may write (nullptr: plain).
std::vector<std::string> directive_words(const asm48::Convention* convention);

}  // namespace zorvin::lsp
