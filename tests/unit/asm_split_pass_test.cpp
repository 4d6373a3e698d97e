#include <gtest/gtest.h>

#include "text/editor_lines.h"
#include "asm/split_pass.h"

namespace {

using namespace zorvin;
using namespace zorvin::asm48;

LineTable split(std::string_view text) {
  LineTable table;
  split_pass(std::string(text), table);
  return table;
}

TEST(AsmEditorLines, LineEndsAndCounts) {
  EXPECT_TRUE(editor_lines("").empty());
  EXPECT_EQ(editor_lines("ab").size(), 1u);
  EXPECT_EQ(editor_lines("ab\n"), (std::vector<std::string_view>{"ab", ""}));
  EXPECT_EQ(editor_lines("a\r\nb\rc\nd\xE2\x80\xA9" "e"),
            (std::vector<std::string_view>{"a", "b", "c", "d", "e"}));
  EXPECT_EQ(editor_lines("\r\n\r\n").size(), 3u);
  EXPECT_TRUE(is_blank_text(" \t\r\n\n"));
  EXPECT_FALSE(is_blank_text("  ;"));
  EXPECT_FALSE(is_blank_text("\xE2\x80\xA9"));
}

TEST(AsmSplitPass, LabelMnemonicAndOperands) {
  const auto table = split("loop:  mov a,r0 ; count\nMOV\tA , @R0\nmov a,r0,r1");
  ASSERT_EQ(table.records.size(), 3u);
  const auto& first = table.records[0];
  EXPECT_EQ(first.label, "loop:");
  EXPECT_EQ(first.mnemonic, "mov");
  EXPECT_EQ(first.operand1, "a");
  EXPECT_EQ(first.operand2, "r0");
  EXPECT_EQ(table.records[1].mnemonic, "MOV");
  EXPECT_EQ(table.records[1].operand1, "A");
  EXPECT_EQ(table.records[1].operand2, "@R0");
  EXPECT_EQ(table.records[2].operand2, "r0");
}

TEST(AsmSplitPass, CommentsBlankLinesAndEnd) {
  const auto table = split("; only a comment\n\n   \n  nop\n  END ; done\n  ret");
  ASSERT_EQ(table.records.size(), 1u);
  EXPECT_EQ(table.records[0].line_no, 4);
  const auto labelled_end = split("x: end\n.END\nnop");
  ASSERT_EQ(labelled_end.records.size(), 1u);
  EXPECT_EQ(labelled_end.records[0].mnemonic, "end");
  EXPECT_EQ(split(";x\n;y").last_index(), -1);
}

TEST(AsmSplitPass, LabelsAloneCarryOntoTheNextMnemonic) {
  const auto table = split("start:\n  nop\nfirst:\nsecond:\n  org 10h\nown: LED equ 1\nx:\ny: ret");
  ASSERT_EQ(table.records.size(), 8u);
  EXPECT_EQ(table.records[0].label, "start:");
  EXPECT_TRUE(table.records[0].mnemonic.empty());
  EXPECT_EQ(table.records[1].label, "start:");
  EXPECT_EQ(table.records[4].label, "second:");  // the later label wins
  EXPECT_EQ(table.records[5].label, "own:");
  EXPECT_TRUE(table.records[5].is_equ);
  EXPECT_EQ(table.records[7].label, "y:");
}

TEST(AsmSplitPass, EquLines) {
  const auto table = split("LED equ 20h\nLED EQU 20h\nX equ\nY equal 3\nZ equ 1,2");
  EXPECT_EQ(table.records[0].mnemonic, "LED");
  EXPECT_EQ(table.records[0].operand1, "20h");
  EXPECT_TRUE(table.records[0].is_equ);
  EXPECT_TRUE(table.records[1].is_equ);
  EXPECT_TRUE(table.records[2].is_equ);
  EXPECT_EQ(table.records[2].operand1, "");
  EXPECT_EQ(table.records[3].operand1, "al 3");  // only the first three letters count
  EXPECT_FALSE(table.records[4].is_equ);         // a "," means no equ
}

TEST(AsmSplitPass, ColonsAndSemicolonsInsideLiterals) {
  const auto cut = split("mov a,#';'");
  EXPECT_EQ(cut.records[0].operand2, "#'");
  const auto colon = split("mov a,#':'");
  EXPECT_EQ(colon.records[0].label, "mov a,#':");
  EXPECT_EQ(colon.records[0].mnemonic, "'");
  EXPECT_EQ(split(":x").records[0].mnemonic, ":x");
  EXPECT_TRUE(split(":x").records[0].label.empty());
  EXPECT_EQ(split("mov @ r0,a").records[0].operand1, "@ r0");
}

TEST(AsmSplitPass, RefillStartsEveryRecordAfresh) {
  LineTable table;
  split_pass("a: jz a\nb: db 1", table);
  table.records[0].needs_target = true;
  table.set_code(table.records[0], std::vector<std::uint8_t>{0xC6});
  split_pass("nop", table);
  ASSERT_EQ(table.records.size(), 1u);
  EXPECT_FALSE(table.records[0].needs_target);
  EXPECT_TRUE(table.records[0].label.empty());
  EXPECT_TRUE(table.code.empty());
  EXPECT_EQ(table.records[0].length, 0);
}

}  // namespace
