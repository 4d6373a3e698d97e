// The extended dialect's jumps across the 8048's two banks of 2 KiB: they
// assemble, and say that sel mb0/mb1 must pick the bank.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "asm/assembler.h"

namespace {

struct BankCase {
  const char* source;
  std::vector<std::string> warnings;
  int errors;
};

TEST(AsmTwoBanks, JumpsIntoTheOtherBankWarnOnce) {
  const std::string warning = " -> Warnung: Sprungziel in der anderen 2-KiB-Bank (sel mb0/mb1 wählt sie): ";
  const BankCase cases[] = {
      {"  cpu 8048\n  jmp 900h\n", {"Zeile: 2" + warning + "0900H"}, 0},
      // A name defined further on is encoded again at the end: still one warning.
      {"  cpu 8048\n  call far\n  org 0A00h\nfar: ret\n", {"Zeile: 2" + warning + "0A00H"}, 0},
      {"  cpu 8050\n  org 800h\n  jmp 7FFh\n  jmp 0FFFh\n", {"Zeile: 3" + warning + "07FFH"}, 0},
      {"  cpu 8048\n  jmp 7FFh\n  org 0FFEh\n  jmp 800h\n", {}, 0},
      {"  cpu 8048\n  jmp 1000h\n", {}, 1},
      {"  cpu 8041\n  jmp 900h\n", {}, 1},
      {"  cpu 8048\n  jmp undefined\n", {}, 1},
  };
  for (const BankCase& c : cases) {
    zorvin::asm48::Assembler assembler;
    const auto result = assembler.run(c.source);
    EXPECT_EQ(result.warning_lines, c.warnings) << c.source;
    EXPECT_EQ(result.error_count, c.errors) << c.source;
  }
}

TEST(AsmTwoBanks, JmpAndCallCarryTheLowElevenBits) {
  zorvin::asm48::Assembler assembler;
  ASSERT_TRUE(assembler.run("  cpu 8048\n  org 0F00h\n  jmp 0F23h\n  call 123h\n").ok());
  const auto& table = assembler.table();
  ASSERT_EQ(table.records.size(), 2u);
  const auto jump = table.code_of(table.records[0]);
  const auto call = table.code_of(table.records[1]);
  EXPECT_EQ(std::vector<std::uint8_t>(jump.begin(), jump.end()), (std::vector<std::uint8_t>{0xE4, 0x23}));
  EXPECT_EQ(std::vector<std::uint8_t>(call.begin(), call.end()), (std::vector<std::uint8_t>{0x34, 0x23}));
}

}  // namespace
