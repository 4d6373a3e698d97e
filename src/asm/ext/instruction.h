// One 8048 or UPI-41/42 instruction of the extended dialect: operands are
// registers (or `reg` aliases), "#expression" immediates or target
// expressions, read into a statement for the statement encoder.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "asm/ext/expression.h"
#include "asm/ext/lexer.h"
#include "asm/ext/plain_core.h"
#include "asm/statement_encoder.h"
#include "asm/ext/symbol_table.h"

namespace zorvin::asm48::ext {

// The sets and the UPI-41/42 rules live with the statement encoder; the
// names stay here for the engine's users.
using asm48::InstructionSet;
using asm48::is_mnemonic;
using asm48::missing_in;
using asm48::program_memory_of;
using asm48::instructions_only_in;
using asm48::UpiInstruction;

struct InstructionBytes {
  std::uint8_t bytes[2] = {0, 0};
  int length = 0;
  std::string error;      // message text; empty when encoded
  std::string_view undefined;  // a name in an expression that had no value, in the tokens' line
  std::string warning;    // an immediate cut to its low byte, where the convention does so
  std::int32_t long_target = -1;  // jmp/call on a part with two banks: its whole target, else -1
};

// True for a register or port word of either set ("a", "r3", "p1", "bus", "dbb", ...).
bool is_register_word(std::string_view folded);

// A folded word with its text_key, worked out once for a statement.
struct Word {
  std::string_view folded;
  std::uint64_t key;  // kLongTextKey for a word too long for a key
  explicit Word(std::string_view folded_word) : folded(folded_word), key(text_key(folded_word)) {}
  Word(std::string_view folded_word, std::uint64_t its_key) : folded(folded_word), key(its_key) {}
};

// is_mnemonic with its answers kept for the run, by the word's key (see
// text_key): a program uses a few dozen words, each looked up in the
// table once. Open addressing in a table the words fill only in part.
class MnemonicCache {
 public:
  bool contains(const Word& word);

 private:
  struct Slot {
    std::uint64_t key = 0;  // 0: free (only the empty word has the key 0)
    bool mnemonic = false;
  };
  static constexpr int kSlotBits = 8;
  std::vector<Slot> slots_ = std::vector<Slot>(std::size_t{1} << kSlotBits);
  std::size_t used_ = 0;
};

InstructionBytes assemble_instruction(const Word& mnemonic, std::span<const Token> operands,
                                    InstructionSet set, SymbolTable& table, SymbolSource& symbols,
                                    StatementEncoder& encoder, std::int32_t address);

}  // namespace zorvin::asm48::ext
