// The extended dialect's jumps across the 8048's two banks of 2 KiB: the
// macro assembler's convention puts sel mb0/mb1 in front of them unless
// assume mb names the bank; where it names another one, and in the other
// conventions, a jump into the other bank is a warning.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "asm/assembler.h"

namespace {

struct BankCase {
  const char* dialect;  // "" for the one the source names
  const char* source;
  std::vector<std::string> warnings;
  int errors;
  std::vector<std::uint8_t> code;  // every byte, in address order
};

TEST(AsmTwoBanks, JumpsIntoTheOtherBankGetTheirBankOrAWarning) {
  const std::string other = " -> Warnung: Sprungziel in der anderen 2-KiB-Bank (sel mb0/mb1 wählt sie): ";
  const std::string assumed = " -> Warnung: Sprungziel nicht in der mit assume mb angenommenen 2-KiB-Bank: ";
  const BankCase cases[] = {
      {"", "  cpu 8048\n  jmp 900h\n", {}, 0, {0xF5, 0x24, 0x00}},
      // A name defined further on: another pass places what follows the sel.
      {"", "  cpu 8048\n  call far\n  org 0A00h\nfar: ret\n", {}, 0, {0xF5, 0x54, 0x00, 0x83}},
      {"", "  cpu 8050\n  org 800h\n  jmp 7FFh\n  jmp 0FFFh\n", {}, 0, {0xE5, 0xE4, 0xFF, 0xE4, 0xFF}},
      {"", "  cpu 8048\n  assume mb:0\n  jmp 900h\n", {"Zeile: 3" + assumed + "0900H"}, 0, {0x24, 0x00}},
      {"", "  cpu 8048\n  org 900h\n  assume mb:0\n  jmp 100h\n", {}, 0, {0x24, 0x00}},
      {"tasm", "  jmp 900h\n", {"Zeile: 1" + other + "0900H"}, 0, {0x24, 0x00}},
      {"", "  cpu 8048\n  jmp 7FFh\n  org 0FFEh\n  jmp 800h\n", {}, 0, {0xE4, 0xFF, 0x04, 0x00}},
      {"", "  cpu 8048\n  jmp 1000h\n", {}, 1, {}},
      {"", "  cpu 8041\n  jmp 900h\n", {}, 1, {}},
      {"", "  cpu 8048\n  jmp undefined\n", {}, 1, {}},
  };
  for (const BankCase& c : cases) {
    SCOPED_TRACE(c.source);
    zorvin::asm48::Assembler assembler;
    zorvin::asm48::RunOptions options;
    options.dialect = c.dialect;
    assembler.set_options(options);
    const auto result = assembler.run(c.source);
    EXPECT_EQ(result.warning_lines, c.warnings);
    EXPECT_EQ(result.error_count, c.errors);
    if (c.errors > 0) continue;
    std::vector<std::uint8_t> code;
    for (const auto& record : assembler.table().records) {
      const auto bytes = assembler.table().code_of(record);
      code.insert(code.end(), bytes.begin(), bytes.end());
    }
    EXPECT_EQ(code, c.code);
  }
}

TEST(AsmTwoBanks, JmpAndCallCarryTheLowElevenBits) {
  zorvin::asm48::Assembler assembler;
  ASSERT_TRUE(assembler.run("  cpu 8048\n  org 0F00h\n  jmp 0F23h\n  call 123h\n").ok());
  const auto& table = assembler.table();
  ASSERT_EQ(table.records.size(), 3u);  // the call with its sel mb0
  const auto jump = table.code_of(table.records[0]);
  const auto select = table.code_of(table.records[1]);
  const auto call = table.code_of(table.records[2]);
  EXPECT_EQ(std::vector<std::uint8_t>(jump.begin(), jump.end()), (std::vector<std::uint8_t>{0xE4, 0x23}));
  EXPECT_EQ(std::vector<std::uint8_t>(select.begin(), select.end()), (std::vector<std::uint8_t>{0xE5}));
  EXPECT_EQ(std::vector<std::uint8_t>(call.begin(), call.end()), (std::vector<std::uint8_t>{0x34, 0x23}));
}

}  // namespace
