// The instruction set and memory of each part a cpu line names: what the
// 8021, 8022 and the 80C parts add, what they lack, and where their program
// memory ends; the disassembler reads the same set.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "asm/assembler.h"
#include "asm/parts.h"
#include "dis/opcode_map.h"

namespace {

using zorvin::asm48::Assembler;

std::vector<std::uint8_t> code_bytes(const Assembler& assembler) {
  std::vector<std::uint8_t> bytes;
  for (const auto& record : assembler.table().records) {
    const auto code = assembler.table().code_of(record);
    bytes.insert(bytes.end(), code.begin(), code.end());
  }
  return bytes;
}

struct PartCase {
  const char* cpu;
  const char* statement;
  std::vector<std::uint8_t> bytes;  // empty: refused
};

TEST(PartSets, EachPartTakesItsOwnInstructions) {
  const PartCase cases[] = {
      {"8021", "in a,p0", {0x08}},   {"8021", "outl p0,a", {0x90}}, {"8021", "jt1 $", {0x56, 0x00}},
      {"8021", "dec a", {0x07}},     {"8021", "djnz r2,$", {0xEA, 0x00}},
      {"8021", "jt0 $", {}},         {"8021", "en i", {}},          {"8021", "clr f0", {}},
      {"8021", "movx a,@r0", {}},    {"8021", "ins a,bus", {}},     {"8021", "sel rb1", {}},
      {"8021", "mov a,psw", {}},     {"8021", "dec r3", {}},        {"8021", "anl p1,#1", {}},
      {"8021", "rad", {}},           {"8021", "sel an0", {}},       {"8021", "idl", {}},
      {"8021", "retr", {}},          {"8021", "movp3 a,@a", {}},    {"8021", "jb0 $", {}},
      {"8022", "in a,p0", {0x08}},   {"8022", "outl p0,a", {0x90}}, {"8022", "sel an0", {0x85}},
      {"8022", "sel an1", {0x95}},   {"8022", "rad", {0x80}},       {"8022", "reti", {0x93}},
      {"8022", "jt0 $", {0x36, 0x00}}, {"8022", "en i", {0x05}},    {"8022", "dis tcnti", {0x35}},
      {"8022", "clr f0", {}},        {"8022", "cpl f1", {}},        {"8022", "outl bus,a", {}},
      {"8022", "idl", {}},           {"8022", "in a,dbb", {}},
      {"80C39", "idl", {0x01}},      {"80C48", "idl", {0x01}},      {"80C49", "idl", {0x01}},
      {"80C50", "idl", {0x01}},      {"80C48", "clr f0", {0x85}},   {"80C48", "movx a,@r0", {0x80}},
      {"80C48", "rad", {}},          {"80C48", "in a,dbb", {}},
      {"8048", "idl", {}},           {"8048", "sel an0", {}},       {"8748", "ent0 clk", {0x75}},
      {"8749", "clr f1", {0xA5}},    {"8041", "idl", {}},           {"8742", "in a,dbb", {0x22}},
  };
  for (const PartCase& c : cases) {
    const std::string source = std::string("  cpu ") + c.cpu + "\n  " + c.statement + "\n";
    Assembler assembler;
    const auto result = assembler.run(source);
    EXPECT_EQ(result.ok(), !c.bytes.empty()) << source;
    if (!c.bytes.empty()) {
      EXPECT_EQ(code_bytes(assembler), c.bytes) << source;
    }
  }
}

TEST(PartSets, AnInstructionThePartLacksSaysSo) {
  Assembler assembler;
  const auto result = assembler.run("  cpu 8022\n  clr f0\n");
  ASSERT_EQ(result.error_lines.size(), 1u);
  EXPECT_EQ(result.error_lines[0], "Zeile: 2 -> Befehl gibt es beim gewählten Prozessor nicht");
}

// Program memory per part: the last byte it holds assembles, the next one not.
TEST(PartSets, ProgramMemoryEndsWhereThePartsDoes) {
  const struct {
    const char* cpu;
    int size;
  } cases[] = {{"8021", 1024}, {"8022", 2048}, {"8039", 4096}, {"8040", 4096}, {"8041", 1024},
               {"8042", 2048}, {"8741", 1024}, {"8742", 2048}, {"8748", 4096}, {"8749", 4096},
               {"80C39", 4096}, {"80C48", 4096}, {"80C49", 4096}, {"80C50", 4096}};
  for (const auto& c : cases) {
    const std::string org = "  cpu " + std::string(c.cpu) + "\n  org " + std::to_string(c.size - 1) + "\n";
    Assembler fits;
    EXPECT_TRUE(fits.run(org + "  nop\n").ok()) << c.cpu;
    Assembler beyond;
    EXPECT_FALSE(beyond.run(org + "  nop\n  nop\n").ok()) << c.cpu;
  }
}

// The disassembler names the same instructions at the part's opcodes.
TEST(PartSets, TheDisassemblerReadsThePartsSet) {
  using zorvin::asm48::InstructionSet;
  const struct {
    InstructionSet set;
    std::uint8_t opcode;
    const char* mnemonic;
    const char* operand1;
  } cases[] = {
      {InstructionSet::Mcs22, 0x85, "sel", "an0"}, {InstructionSet::Mcs22, 0x95, "sel", "an1"},
      {InstructionSet::Mcs22, 0x80, "rad", ""},    {InstructionSet::Mcs22, 0x93, "reti", ""},
      {InstructionSet::Mcs21, 0x08, "in", "a"},    {InstructionSet::Mcs21, 0x90, "outl", "p0"},
      {InstructionSet::Cmos48, 0x01, "idl", ""},   {InstructionSet::Mcs48, 0x85, "clr", "f0"},
      {InstructionSet::Mcs48, 0x08, "ins", "a"},
  };
  for (const auto& c : cases) {
    const auto& op = zorvin::dis::opcode_map(c.set)[c.opcode];
    EXPECT_EQ(op.mnemonic, c.mnemonic) << int(c.opcode);
    EXPECT_EQ(op.operand1, c.operand1) << int(c.opcode);
  }
  EXPECT_FALSE(zorvin::dis::opcode_map(InstructionSet::Mcs21)[0x85].defined());  // clr f0
  EXPECT_FALSE(zorvin::dis::opcode_map(InstructionSet::Mcs48)[0x01].defined());
}

}  // namespace
