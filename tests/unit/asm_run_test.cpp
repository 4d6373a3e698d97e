// Whole assembler runs: the order of passes and messages, the table that
// carries over between runs, and the places where this assembler refuses
// what would give wrong code.
#include <gtest/gtest.h>

#include "asm/assembler.h"
#include "asm/numbers.h"

namespace {

using namespace zorvin::asm48;

const LineRecord* record_of_line(const Assembler& assembler, std::int32_t line_no) {
  for (const auto& record : assembler.table().records)
    if (record.line_no == line_no && record.length > 0) return &record;
  return nullptr;
}

std::string code(const Assembler& assembler, std::int32_t line_no) {
  const LineRecord* record = record_of_line(assembler, line_no);
  if (record == nullptr) return "none";
  const auto bytes = assembler.table().code_of(*record);
  char text[16];
  std::snprintf(text, sizeof text, bytes.size() == 1 ? "%02X" : "%02X %02X", bytes[0], bytes.size() > 1 ? bytes[1] : 0);
  return text;
}

TEST(AsmRun, NothingToAssembleLeavesTheTableAlone) {
  Assembler assembler;
  ASSERT_TRUE(assembler.run("nop\nret").ok());
  for (const char* text : {"", "   ", "\n\t\r\n  \n"}) {
    const auto result = assembler.run(text);
    EXPECT_TRUE(result.nothing_to_assemble);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error_lines.empty());
    EXPECT_EQ(assembler.table().records.size(), 2u);
  }
}

TEST(AsmRun, CommentsOnlyAssembleToNothing) {
  Assembler assembler;
  const auto result = assembler.run("; a\n; b\n");
  EXPECT_TRUE(result.ok());
  EXPECT_EQ(result.summary, "Assemblieren ohne Fehler beendet.");
  EXPECT_EQ(assembler.table().last_index(), -1);
}

TEST(AsmRun, ErrorsInSourceOrderAndCounted) {
  Assembler assembler;
  const auto result = assembler.run("nop\nnop\nfoo\nnop\nnop\nnop\nnop\nnop\nclr\n");
  EXPECT_EQ(result.error_lines, (std::vector<std::string>{"Zeile: 3 -> Syntaxfehler", "Zeile: 9 -> Parameterfehler"}));
  EXPECT_EQ(result.error_count, 2);
  EXPECT_EQ(result.summary, "2 Fehler beim Assemblieren!");
}

TEST(AsmRun, SortedByAddressAfterSuccess) {
  Assembler assembler;
  ASSERT_TRUE(assembler.run("org 20h\nnop\norg 10h\nret\nX equ 1\n").ok());
  std::int32_t previous = -1;
  for (const auto& record : assembler.table().records) {
    EXPECT_GE(record.address, previous);
    previous = record.address;
  }
  EXPECT_EQ(assembler.table().records.back().mnemonic, "nop");
}

TEST(AsmRun, TableGrowsBeyondAThousandRecords) {
  std::string source;
  for (int i = 0; i < 1500; ++i) {
    source += 'l';
    source += std::to_string(i) + ": nop\n";
  }
  source += "jmp l1499\n";
  Assembler assembler;
  const auto result = assembler.run(source);
  ASSERT_TRUE(result.ok()) << result.summary;
  EXPECT_EQ(assembler.table().records.size(), 1501u);
  EXPECT_EQ(code(assembler, 1501), "A4 DB");  // l1499 at 5DBH: page 101, jmp 00100
  // A later, shorter run only sees its own records.
  ASSERT_TRUE(assembler.run("ret").ok());
  EXPECT_EQ(assembler.table().records.size(), 1u);
}

TEST(AsmRun, CodePastProgramMemoryIsAnError) {
  std::string source;
  for (int i = 0; i < 2049; ++i) source += "nop\n";
  Assembler assembler;
  auto result = assembler.run(source);
  EXPECT_EQ(result.error_lines, (std::vector<std::string>{"Zeile: 2049 -> Adresse außerhalb des Programmspeichers"}));
  EXPECT_EQ(result.summary, "1 Fehler beim Assemblieren!");
  // A two-byte instruction whose second byte would fall past the end.
  result = assembler.run("org 7FFh\nmov a,#1\n");
  EXPECT_EQ(result.error_lines, (std::vector<std::string>{"Zeile: 2 -> Adresse außerhalb des Programmspeichers"}));
  // Ending exactly at 7FFH is fine, and so is a label right after it.
  EXPECT_TRUE(assembler.run("org 7FEh\nmov a,#1\nend_of_memory:\n").ok());
}

TEST(AsmRun, ConditionalJumpsUseThePageOfTheirSecondByte) {
  Assembler assembler;
  auto result = assembler.run("org 0F0h\nback: nop\norg 0FFh\njnz back\n");
  EXPECT_EQ(result.error_lines, (std::vector<std::string>{"Zeile: 4 -> Sprungziel außerhalb der aktuellen Seite"}));
  ASSERT_TRUE(assembler.run("org 0FFh\njnz fwd\norg 105h\nfwd: nop\n").ok());
  EXPECT_EQ(code(assembler, 2), "96 05");
  ASSERT_TRUE(assembler.run("org 3FEh\ndjnz r3,back\norg 3F0h\nback: nop\n").ok());
  EXPECT_EQ(code(assembler, 2), "EB F0");
  result = assembler.run("org 3FEh\ndjnz r3,here\nhere: nop\n");  // here at 400H
  EXPECT_EQ(result.error_lines, (std::vector<std::string>{"Zeile: 2 -> Sprungziel außerhalb der aktuellen Seite"}));
  result = assembler.run("org 0FDh\njz next\nnext:\n");  // second byte at 0FEH, target at 0FFH
  EXPECT_TRUE(result.ok());
}

TEST(AsmRun, PlaceholderTextIsNoOperand) {
  Assembler assembler;
  // Written literally, the row's placeholder must not give a one-byte jump.
  auto result = assembler.run("jz §adresse§\n");
  EXPECT_EQ(result.error_lines, (std::vector<std::string>{"Zeile: 1 -> ungültiges Sprungziel"}));
  result = assembler.run("mov a,#§data§\n");
  EXPECT_EQ(result.error_lines, (std::vector<std::string>{"Zeile: 1 -> Parameterfehler"}));
}

TEST(AsmRun, LiteralsCutByCommentOrLabel) {
  Assembler assembler;
  EXPECT_EQ(assembler.run("mov a,#';'").error_lines, (std::vector<std::string>{"Zeile: 1 -> Parameterfehler"}));
  EXPECT_EQ(assembler.run("mov a,#':'").error_lines, (std::vector<std::string>{"Zeile: 1 -> Syntaxfehler"}));
  EXPECT_EQ(assembler.run("mov a,#'#'").error_lines, (std::vector<std::string>{"Zeile: 1 -> Parameterfehler"}));
}

TEST(AsmRun, HashInDataAndOriginIsDropped) {
  Assembler assembler;
  ASSERT_TRUE(assembler.run("db #5\norg #100\nnop\ndb '#'").ok());
  EXPECT_EQ(code(assembler, 1), "05");
  EXPECT_EQ(record_of_line(assembler, 3)->address, 100);
  EXPECT_EQ(code(assembler, 4), "23");
  EXPECT_EQ(assembler.run("db #'a'").error_lines, (std::vector<std::string>{"Zeile: 1 -> Parameterfehler"}));
}

TEST(AsmRun, EquValueTakenBeforeItsOwnLineIsRewritten) {
  Assembler assembler;
  // "X" inside X's own value is replaced too; later lines still get "X1".
  EXPECT_EQ(assembler.run("X equ X1\nmov a,#X\n").error_lines,
            (std::vector<std::string>{"Zeile: 2 -> Parameterfehler"}));
  EXPECT_EQ(assembler.table().records[0].operand1, "X11");
  EXPECT_EQ(assembler.table().records[1].operand2, "#X1");
  ASSERT_TRUE(assembler.run("R equ r\nmov a,R5\n").ok());
  EXPECT_EQ(code(assembler, 2), "FD");
  const auto result = assembler.run("N equ 2\nmov a,#N0\nmov a,#nn\n");
  EXPECT_EQ(result.error_count, 0);
  EXPECT_EQ(code(assembler, 2), "23 14");  // "#20" is decimal 20
  EXPECT_EQ(code(assembler, 3), "23 16");  // "#22"
}

// Rewritten operands are kept beside the source text the records point
// into; writing them must never touch that text (a source of some KiB).
TEST(AsmRun, RewrittenOperandsLeaveTheSourceTextAlone) {
  std::string source = "N equ 20\n";
  for (int i = 0; i < 600; ++i) source += "  mov r6,#N ; delay count\n";
  Assembler assembler;
  ASSERT_TRUE(assembler.run(source).ok());
  for (int line = 2; line <= 601; line += 99) EXPECT_EQ(code(assembler, line), "BE 14");
}

}  // namespace
