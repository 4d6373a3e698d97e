#include "sim/disassembler.h"

#include <array>
#include <cstdio>
#include <string_view>

#include "asm/instruction_table.h"
#include "sim/cycle_table.h"

namespace zorvin::sim {

namespace {

struct Pattern {
  std::string_view mnemonic;
  std::string_view operand1;
  std::string_view operand2;
  bool two_bytes = false;
};

// jmp and call are the encoder's own rows; the UPI-41/42 instructions
// replace opcodes of 8048 instructions those parts lack.
struct Extra {
  std::uint8_t opcode;
  Pattern pattern;
};
constexpr std::array<Extra, 7> kUpiOnly = {{
    {0x22, {"in", "a", "dbb", false}},
    {0x02, {"out", "dbb", "a", false}},
    {0x90, {"mov", "sts", "a", false}},
    {0xE5, {"en", "dma", "", false}},
    {0xF5, {"en", "flags", "", false}},
    {0x86, {"jobf", asm48::kAddressPlaceholder, "", true}},
    {0xD6, {"jnibf", asm48::kAddressPlaceholder, "", true}},
}};

using Patterns = std::array<Pattern, 256>;

Patterns mcs48_patterns() {
  Patterns patterns{};
  const auto rows = asm48::split_rows(asm48::RowRange{0, asm48::table_size() - 1});
  for (const asm48::TableRow& row : rows) {
    const std::string_view text = row.text();
    const std::string_view operand1 = asm48::row_field(text, 2);
    const std::string_view operand2 = asm48::row_field(text, 3);
    // "in a,p0" and "outl p0,a" are other spellings of ins a,bus and movx @r0,a.
    if (operand1 == "p0" || operand2 == "p0") continue;
    Pattern& pattern = patterns[row.opcode];
    if (!pattern.mnemonic.empty()) continue;
    pattern = Pattern{asm48::row_field(text, 1), operand1, operand2, row.two_bytes};
  }
  for (int page = 0; page < 8; ++page) {
    patterns[static_cast<std::size_t>(page * 0x20 + 0x04)] = {"jmp", asm48::kAddressPlaceholder, "", true};
    patterns[static_cast<std::size_t>(page * 0x20 + 0x14)] = {"call", asm48::kAddressPlaceholder, "", true};
  }
  return patterns;
}

const Patterns& patterns(bool upi) {
  static const Patterns mcs48 = mcs48_patterns();
  static const Patterns upi41 = [] {
    Patterns patterns = mcs48_patterns();
    for (const Extra& extra : kUpiOnly) patterns[extra.opcode] = extra.pattern;
    return patterns;
  }();
  return upi ? upi41 : mcs48;
}

// A hex number as the assembler reads it: a leading 0 before a letter.
std::string hex(unsigned value, int digits) {
  char text[12];
  std::snprintf(text, sizeof text, "%0*XH", digits, value);
  std::string number = text;
  if (number.front() >= 'A') number.insert(number.begin(), '0');
  return number;
}

}  // namespace

std::uint8_t instruction_length(std::uint8_t opcode, bool upi) {
  return patterns(upi)[opcode].two_bytes ? 2 : 1;
}

Disassembly disassemble(std::span<const std::uint8_t> program, std::uint16_t address, Variant variant) {
  Disassembly out;
  if (program.empty()) return out;
  const bool upi = info(variant).upi;
  const auto byte_at = [&](unsigned at) { return program[at % program.size()]; };
  const std::uint8_t opcode = byte_at(address);
  const Pattern& pattern = patterns(upi)[opcode];
  out.defined = cycle_table(upi)[opcode] != 0 && !pattern.mnemonic.empty();
  if (!out.defined) {
    out.text = "db " + hex(opcode, 2);
    return out;
  }
  out.length = pattern.two_bytes ? 2 : 1;
  const unsigned operand_at = (address & 0x800u) | ((address + 1u) & 0x7FFu);
  const std::uint8_t second = byte_at(operand_at);
  const auto operand = [&](std::string_view field) -> std::string {
    // Appended, not "#" + text: GCC 12 at -O3 warns falsely (-Wrestrict).
    if (field == asm48::kDataPlaceholder) return std::string(1, '#').append(hex(second, 2));
    if (field != asm48::kAddressPlaceholder) return std::string(field);
    const bool long_jump = pattern.mnemonic == "jmp" || pattern.mnemonic == "call";
    const unsigned target = long_jump ? (address & 0x800u) | ((opcode & 0xE0u) << 3) | second
                                      : (operand_at & 0xF00u) | second;
    return hex(target, 3);
  };
  out.text = std::string(pattern.mnemonic);
  if (!pattern.operand1.empty()) out.text.append(1, ' ').append(operand(pattern.operand1));
  if (!pattern.operand2.empty()) out.text.append(1, ',').append(operand(pattern.operand2));
  return out;
}

}  // namespace zorvin::sim
