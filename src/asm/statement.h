// One statement as the front ends read it and the encoder takes it: a
// mnemonic with up to two operands that say what they are (a register, an
// indirect register, an immediate value, a jump target), no longer texts.
#pragma once

#include <cstdint>
#include <optional>
#include <array>
#include <iterator>
#include <string_view>

#include "asm/instruction_table.h"
#include "asm/table_hash.h"

namespace zorvin::asm48 {

// Every register or port word of the 8048 and UPI-41/42 instruction sets.
// @a (jmpp, movp, movp3) is A read through an indirect operand.
enum class Register : std::uint8_t {
  A, R0, R1, R2, R3, R4, R5, R6, R7,
  P0, P1, P2, P3, P4, P5, P6, P7,
  Psw, Bus, T, C, F0, F1, I, Tcnt, Tcnti, Clk, Cnt, Mb0, Mb1, Rb0, Rb1,
  Dbb, Sts, Dma, Flags, An0, An1,
};

// The words of the registers in the order of Register.
inline constexpr std::string_view kRegisterWords[] = {
    "a",   "r0",  "r1",  "r2",  "r3",  "r4",   "r5",    "r6",  "r7",  "p0",  "p1",  "p2",
    "p3",  "p4",  "p5",  "p6",  "p7",  "psw",  "bus",   "t",   "c",   "f0",  "f1",  "i",
    "tcnt", "tcnti", "clk", "cnt", "mb0", "mb1", "rb0", "rb1", "dbb", "sts", "dma", "flags",
    "an0", "an1",
};
static_assert(std::size(kRegisterWords) == static_cast<std::size_t>(Register::An1) + 1);

inline constexpr auto kRegisterKeys = [] {
  std::array<std::uint64_t, std::size(kRegisterWords)> keys{};
  for (std::size_t i = 0; i < keys.size(); ++i) keys[i] = text_key(kRegisterWords[i]);
  return keys;
}();

// Register words by key in an open-addressing table filled at compile
// time, at most a third full: a lookup mostly probes once.
struct RegisterSlot {
  std::uint64_t key = 0;  // 0: empty
  Register reg = Register::A;
};
inline constexpr int kRegisterSlotBits = 7;
inline constexpr auto kRegisterSlots = [] {
  std::array<RegisterSlot, std::size_t{1} << kRegisterSlotBits> slots{};
  for (std::size_t i = 0; i < kRegisterKeys.size(); ++i) {
    std::size_t slot = key_slot(kRegisterKeys[i], kRegisterSlotBits);
    while (slots[slot].key != 0) slot = (slot + 1) % slots.size();
    slots[slot] = {kRegisterKeys[i], static_cast<Register>(i)};
  }
  return slots;
}();

// The register whose word has this text_key (folded_key of a word as
// written: "R3" names r3), or none.
constexpr std::optional<Register> register_of_key(std::uint64_t key) {
  if (key == 0) return std::nullopt;
  for (std::size_t slot = key_slot(key, kRegisterSlotBits); kRegisterSlots[slot].key != 0;
       slot = (slot + 1) % kRegisterSlots.size())
    if (kRegisterSlots[slot].key == key) return kRegisterSlots[slot].reg;
  return std::nullopt;
}
// The register a folded word names ("a", "r3", "tcnti"), or none.
constexpr std::optional<Register> register_of(std::string_view folded) { return register_of_key(text_key(folded)); }
// The word of a register as the instruction table writes it.
constexpr std::string_view register_word(Register reg) { return kRegisterWords[static_cast<std::size_t>(reg)]; }

enum class OperandKind : std::uint8_t {
  None,       // not written
  Register,   // a, r3, psw, p1, ...
  Indirect,   // @r0, @r1, @a
  Immediate,  // #value: the second byte
  Target,     // an address a jump goes to
  Unknown,    // written, but nothing an instruction takes
};

struct Operand {
  OperandKind kind = OperandKind::None;
  Register reg = Register::A;  // for Register and Indirect
  std::int32_t value = 0;      // for Immediate and Target
  bool readable = true;        // false for an immediate whose number could not be read

  static constexpr Operand none() { return {}; }
  static constexpr Operand of_register(Register r) { return {OperandKind::Register, r, 0, true}; }
  static constexpr Operand indirect(Register r) { return {OperandKind::Indirect, r, 0, true}; }
  static constexpr Operand immediate(std::int32_t v) { return {OperandKind::Immediate, Register::A, v, true}; }
  static constexpr Operand unreadable_immediate() { return {OperandKind::Immediate, Register::A, 0, false}; }
  static constexpr Operand target(std::int32_t address) { return {OperandKind::Target, Register::A, address, true}; }
  static constexpr Operand unknown() { return {OperandKind::Unknown, Register::A, 0, true}; }

  bool written() const { return kind != OperandKind::None; }
  // Kind and register in one number: what a table row compares.
  constexpr std::uint16_t shape() const {
    const bool has_register = kind == OperandKind::Register || kind == OperandKind::Indirect;
    return static_cast<std::uint16_t>((static_cast<unsigned>(kind) << 8) |
                                      (has_register ? static_cast<unsigned>(reg) : 0u));
  }
};

// Views into the text the front end read: a statement lives no longer
// than its line.
struct Statement {
  std::int32_t line = 0;
  std::string_view file;   // empty for the source itself
  std::string_view label;
  std::string_view mnemonic;  // folded
  std::uint64_t mnemonic_key = 0;  // text_key(mnemonic) where the front end has it at hand; 0: not given
  Operand operands[2];
};

}  // namespace zorvin::asm48
