// One 8048 or UPI-41/42 instruction of the extended dialect: operands are
// registers (or `reg` aliases), "#expression" immediates or target
// expressions; the bytes come from the plain instruction table, with the
// UPI-41/42 changes on top.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "asm/ext/expression.h"
#include "asm/ext/lexer.h"
#include "asm/ext/plain_core.h"
#include "asm/ext/symbol_table.h"

namespace zorvin::asm48::ext {

enum class InstructionSet { Mcs48, Upi41 };

struct InstructionBytes {
  std::uint8_t bytes[2] = {0, 0};
  int length = 0;
  std::string error;      // message text; empty when encoded
  std::string_view undefined;  // a name in an expression that had no value, in the tokens' line
  std::string warning;    // an immediate cut to its low byte, where the convention does so
  std::int32_t other_bank_target = -1;  // jmp/call into the other 2 KiB bank: the target, else -1
};

// Program memory a set addresses: the 8048 family 4 KiB in two banks of
// 2 KiB (sel mb0/mb1), the UPI-41/42 2 KiB.
constexpr std::int32_t program_memory_of(InstructionSet set) { return set == InstructionSet::Upi41 ? 2048 : 4096; }

// The UPI-41/42-only instructions as data, and the 8048 instructions those
// parts lack; a disassembler reads both.
struct UpiInstruction {
  std::string_view mnemonic, operand1, operand2;
  std::uint8_t opcode;
  bool branch;
};
std::span<const UpiInstruction> upi_only_instructions();
bool missing_on_upi(std::string_view mnemonic, std::string_view operand1, std::string_view operand2);

// True for a register or port word of either set ("a", "r3", "p1", "bus", "dbb", ...).
bool is_register_word(std::string_view folded);

// A folded word with its text_key, worked out once for a statement.
struct Word {
  std::string_view folded;
  std::uint64_t key;  // kLongTextKey for a word too long for a key
  explicit Word(std::string_view folded_word) : folded(folded_word), key(text_key(folded_word)) {}
  Word(std::string_view folded_word, std::uint64_t its_key) : folded(folded_word), key(its_key) {}
};

// True for a word the instruction set knows as a mnemonic (either set).
bool is_mnemonic(std::string_view folded);

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
                                    PlainEncoder& encoder, std::int32_t address);

}  // namespace zorvin::asm48::ext
