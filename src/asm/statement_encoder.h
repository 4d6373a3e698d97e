// The encoder of one statement with structured operands, for the 8048 and
// the UPI-41/42: table-driven from the instruction table, with the UPI-only
// rows and the 8048 rows the UPI parts lack as data beside it. It leaves a
// jump's target bits to fit_target (asm/instruction_encoder.h).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "asm/statement.h"

namespace zorvin::asm48 {

// The 8048's set; the UPI-41/42's; the 8021's and the 8022's subsets (with
// in a,p0 and outl p0,a; the 8022 with its A/D converter); the 80C parts'
// set, the 8048's with idl.
enum class InstructionSet { Mcs48, Upi41, Mcs21, Mcs22, Cmos48 };

// Program memory a set addresses: the 8048 family 4 KiB in two banks of
// 2 KiB (sel mb0/mb1), the UPI-41/42 2 KiB, the 8021 1 KiB, the 8022 2 KiB.
constexpr std::int32_t program_memory_of(InstructionSet set) {
  switch (set) {
    case InstructionSet::Upi41:
    case InstructionSet::Mcs22: return 2048;
    case InstructionSet::Mcs21: return 1024;
    default: return 4096;
  }
}

// Whether the set switches between two banks of 2 KiB with sel mb0/mb1.
constexpr bool has_memory_banks(InstructionSet set) {
  return set == InstructionSet::Mcs48 || set == InstructionSet::Cmos48;
}

enum class EncodeFailure : std::uint8_t {
  None,
  Syntax,      // no such mnemonic
  Parameter,   // no row takes these operands
  ValueRange,  // an immediate outside 0 to 255
  OnlyOnUpi,   // a UPI-41/42 instruction asked of the 8048
  NotOnUpi,    // an 8048 instruction the UPI-41/42 lacks
  NotOnPart,   // an 8048 instruction the 8021 or 8022 lacks
};

struct StatementCode {
  EncodeFailure failure = EncodeFailure::None;
  std::uint8_t bytes[2] = {0, 0};
  std::uint8_t length = 0;          // 1 or 2 code bytes
  bool needs_target = false;        // the operand named by target_operand is a jump target
  std::uint8_t target_operand = 0;  // 1 or 2 while needs_target

  bool ok() const { return failure == EncodeFailure::None; }
};

// Rows of one mnemonic are tried in table order, the first that fits wins:
// a two-byte row takes an immediate as its second byte wherever the row has
// its second operand; a row's target position takes any operand; jmp and
// call take any operands.
StatementCode encode_statement(const Statement& statement, InstructionSet set);

// encode_statement with its decisions kept for the run: a program repeats
// a few dozen mnemonic and operand shapes, and finding a kept decision
// costs a fraction of walking the rows. An immediate's value is no part of
// the decision; it is checked and placed on every call.
class StatementEncoder {
 public:
  StatementCode encode(const Statement& statement, InstructionSet set);

 private:
  struct Entry {
    std::uint64_t mnemonic = 0;  // 0: a free slot (only the empty word has the key 0)
    std::uint32_t shapes = 0;
    InstructionSet set = InstructionSet::Mcs48;
    bool immediate_second = false;  // the second byte is operand 2's value
    StatementCode code;
  };
  // Open addressing in a table a program fills only in part. Once three
  // quarters are taken, new decisions are no longer kept.
  static constexpr int kSlotBits = 9;
  std::vector<Entry> slots_ = std::vector<Entry>(std::size_t{1} << kSlotBits);
  std::size_t used_ = 0;
};

// Whether a row of the folded mnemonic takes an immediate at `position`
// (1 or 2): where a convention writes immediates without "#", an operand
// that is no register is one there.
bool takes_immediate(std::string_view folded_mnemonic, int position);

// The texts of the failures the plain table gives (Syntax, Parameter,
// ValueRange); empty for the others, whose texts the caller has.
std::string_view failure_text(EncodeFailure failure);

// An instruction of a set that the 8048 does not have (UPI-41/42, 8022,
// 80C parts), as texts for a disassembler: its opcode is one of an 8048
// instruction the part dropped, or one the 8048 leaves unused.
struct UpiInstruction {
  std::string_view mnemonic, operand1, operand2;
  std::uint8_t opcode;
  bool branch;
};
// The instructions a set has beyond the 8048's, in the same form.
std::span<const UpiInstruction> instructions_only_in(InstructionSet set);
// Whether the set lacks the 8048 instruction with these folded texts.
bool missing_in(InstructionSet set, std::string_view mnemonic, std::string_view operand1, std::string_view operand2);

// True for a word the instruction set knows as a mnemonic (any set).
bool is_mnemonic(std::string_view folded);

}  // namespace zorvin::asm48
