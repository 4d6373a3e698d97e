// The disassembler reads the assembler's table backwards: every defined
// opcode's text assembles to the same bytes again, in both instruction sets.
#include <gtest/gtest.h>

#include <set>

#include "dis/instruction_text.h"
#include "sim/program_source.h"
#include "sim/variant.h"

namespace zorvin::sim {
namespace {

using dis::InstructionText;

InstructionText disassemble(std::span<const std::uint8_t> memory, std::uint16_t address, Variant variant) {
  return dis::instruction_text(memory, address, dis::opcode_map(dis::instruction_set(info(variant).upi)));
}

void expect_round_trip(Variant variant, const char* cpu) {
  int defined = 0;
  for (int opcode = 0; opcode < 256; ++opcode) {
    std::vector<std::uint8_t> memory(2048, 0x00);
    memory[0x100] = static_cast<std::uint8_t>(opcode);
    memory[0x101] = 0x34;
    const InstructionText text = disassemble(memory, 0x100, variant);
    if (!text.defined) {
      EXPECT_EQ(text.text.substr(0, 3), "db ") << opcode;
      EXPECT_EQ(text.cycles, 0) << opcode;
      continue;
    }
    ++defined;
    const AssembledProgram program =
        assemble_program(std::string(" cpu ") + cpu + "\n org 100h\n " + text.text + "\n", {});
    ASSERT_TRUE(program.result.ok()) << text.text << ": "
                                     << (program.result.error_lines.empty() ? "" : program.result.error_lines[0]);
    ASSERT_EQ(program.bytes.size(), 0x100u + text.length) << text.text;
    EXPECT_EQ(program.bytes[0x100], opcode) << text.text;
    if (text.length == 2) {
      EXPECT_EQ(program.bytes[0x101], 0x34) << text.text;
    }
  }
  // 26 of the 256 opcodes are undefined on the 8048; the UPI parts lose 7
  // (bus, movx, ent0 clk) and gain 2 (in a,dbb, jnibf).
  EXPECT_EQ(defined, info(variant).upi ? 225 : 230);
}

TEST(Disassembler, EveryMcs48OpcodeAssemblesBack) { expect_round_trip(Variant::I8048, "8048"); }
TEST(Disassembler, EveryUpi41OpcodeAssemblesBack) { expect_round_trip(Variant::I8041, "8041"); }

TEST(Disassembler, ReadsTargetsWhereTheInstructionStands) {
  std::vector<std::uint8_t> memory(4096, 0x00);
  const struct {
    std::uint16_t at;
    std::uint8_t bytes[2];
    const char* text;
  } cases[] = {
      {0x0FF, {0xC6, 0x20}, "jz 120H"},        // second byte in the next page
      {0x810, {0x24, 0x56}, "jmp 956H"},       // bank 1
      {0x000, {0xEF, 0x00}, "djnz r7,000H"},
      {0x000, {0x23, 0xAB}, "mov a,#0ABH"},
      {0x000, {0x08, 0x00}, "ins a,bus"},      // not the other spelling "in a,p0"
      {0x000, {0x90, 0x00}, "movx @r0,a"},
  };
  for (const auto& c : cases) {
    memory[c.at] = c.bytes[0];
    memory[(c.at & 0x800) | ((c.at + 1) & 0x7FF)] = c.bytes[1];
    EXPECT_EQ(disassemble(memory, c.at, Variant::I8048).text, c.text);
  }
  memory[0] = 0x90;
  EXPECT_EQ(disassemble(memory, 0, Variant::I8042).text, "mov sts,a");
  EXPECT_EQ(disassemble(memory, 0, Variant::I8048).length, 1);
  memory[0] = 0xD6;
  EXPECT_EQ(disassemble(memory, 0, Variant::I8042).length, 2);
}

}  // namespace
}  // namespace zorvin::sim

namespace zorvin::sim {
namespace {

// The two-cycle opcodes as the MCS-48 manual's instruction summary lists
// them; every other defined opcode takes one cycle.
std::set<int> two_cycle_opcodes(bool upi) {
  std::set<int> two = {0x03, 0x13, 0x23, 0x43, 0x53, 0xD3, 0xB0, 0xB1, 0x16, 0x26, 0x36, 0x46, 0x56, 0x76,
                       0x96, 0xB6, 0xC6, 0xE6, 0xF6, 0x09, 0x0A, 0x39, 0x3A, 0x89, 0x8A, 0x99, 0x9A, 0xA3,
                       0xE3, 0xB3, 0x83, 0x93, 0x86};
  for (int page = 0; page < 8; ++page) two.insert({page * 0x20 + 0x04, page * 0x20 + 0x14, page * 0x20 + 0x12});
  for (const int first : {0xB8, 0xE8}) for (int r = 0; r < 8; ++r) two.insert(first + r);         // mov rN,# djnz
  for (const int first : {0x0C, 0x3C, 0x8C, 0x9C}) for (int p = 0; p < 4; ++p) two.insert(first + p);  // movd anld orld
  if (upi) two.insert(0xD6);                                                          // jnibf
  else two.insert({0x02, 0x08, 0x80, 0x81, 0x88, 0x90, 0x91, 0x98});                 // bus, movx
  return two;
}

TEST(Disassembler, CyclesAsTheManualCountsThem) {
  for (const bool upi : {false, true}) {
    const auto& cycles = dis::cycle_table(dis::instruction_set(upi));
    const std::set<int> two = two_cycle_opcodes(upi);
    const auto& map = dis::opcode_map(dis::instruction_set(upi));
    for (int opcode = 0; opcode < 256; ++opcode) {
      const int expected = !map[static_cast<std::size_t>(opcode)].defined() ? 0 : two.contains(opcode) ? 2 : 1;
      EXPECT_EQ(cycles[static_cast<std::size_t>(opcode)], expected) << upi << " " << opcode;
    }
  }
}

}  // namespace
}  // namespace zorvin::sim
