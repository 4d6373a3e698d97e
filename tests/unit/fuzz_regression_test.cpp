// Inputs the fuzzers found to break the program, kept as ordinary tests of
// the behaviour that replaced the fault.
#include <gtest/gtest.h>

#include <string>

#include "asm/assembler.h"
#include "asm/diagnostics.h"
#include "asm/numbers.h"
#include "asm/symbol_pass.h"

namespace {

using namespace zorvin::asm48;

std::string error_of_line(int line_no) { return "Zeile: " + std::to_string(line_no) + std::string(kOperandTooLong); }

// "x equ xx" doubles every operand holding an x, its own value included, so
// each further such line squares the growth: eight lines asked for gigabytes.
TEST(FuzzRegression, SelfNamingEquValuesStopWithAnErrorPerLine) {
  std::string source;
  for (int i = 0; i < 8; ++i) source += "x equ xx\n";
  source += "  mov a,#x\n";
  Assembler assembler;
  const AssemblyResult result = assembler.run(source);
  ASSERT_EQ(result.error_count, 9);
  ASSERT_EQ(result.error_lines.size(), 9u);
  for (int line = 1; line <= 9; ++line) EXPECT_EQ(result.error_lines[line - 1], error_of_line(line));
  EXPECT_EQ(result.summary, "9 Fehler beim Assemblieren!");
  // The next run starts afresh.
  EXPECT_TRUE(assembler.run("x equ 5\n  mov a,#x\n").ok());
}

TEST(FuzzRegression, SubstitutionUpToTheOperandLimitStillEncodes) {
  // 25 symbols of ten zeros each, then the digit: kMaxOperandBytes - 4 bytes.
  const std::string fits = "#" + std::string(25, 'z') + "2";
  ASSERT_LE(1 + 25 * 10 + 1, static_cast<int>(kMaxOperandBytes));
  Assembler assembler;
  AssemblyResult result = assembler.run("z equ 0000000000\n  mov a," + fits + "\n");
  ASSERT_TRUE(result.ok()) << (result.error_lines.empty() ? "" : result.error_lines.front());
  for (const LineRecord& record : assembler.table().records) {
    if (record.length == 2) {
      EXPECT_EQ(assembler.table().code_of(record)[1], 2);
    }
  }
  // Five more symbols carry it past the limit: the line is refused, nothing encoded.
  result = assembler.run("z equ 0000000000\n  mov a,#" + std::string(30, 'z') + "2\n  foo\n");
  ASSERT_EQ(result.error_lines.size(), 1u);
  EXPECT_EQ(result.error_lines.front(), error_of_line(2));
}

TEST(FuzzRegression, LongOperandsFromTheSourceAreNotRefused) {
  // The limit is on growth: an operand already longer in the source still
  // takes a substitution that does not make it longer.
  const std::string zeros(300, '0');
  Assembler assembler;
  const AssemblyResult result = assembler.run("q equ 7\n  mov a,#" + zeros + "q\n");
  ASSERT_TRUE(result.ok()) << (result.error_lines.empty() ? "" : result.error_lines.front());
  for (const LineRecord& record : assembler.table().records) {
    if (record.length == 2) {
      EXPECT_EQ(assembler.table().code_of(record)[1], 7);
    }
  }
}

}  // namespace
