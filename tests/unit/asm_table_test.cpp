#include <gtest/gtest.h>

#include <set>

#include "asm/instruction_table.h"
#include "asm/numbers.h"

namespace {

using namespace zorvin::asm48;

TEST(AsmInstructionTable, RowsAreWellFormedAndGroupedByMnemonic) {
  ASSERT_EQ(table_size(), 217u);
  EXPECT_EQ(table_row(216), kTerminator);
  EXPECT_EQ(row_field(table_row(216), 1), "$$$$");
  std::set<std::string_view> finished;
  std::string_view previous;
  for (std::size_t row = 0; row < 216; ++row) {
    const auto text = table_row(row);
    SCOPED_TRACE(std::string(text));
    EXPECT_EQ(std::count(text.begin(), text.end(), ';'), 6);
    const auto mnemonic = row_field(text, 1);
    if (mnemonic != previous) {
      EXPECT_TRUE(finished.insert(mnemonic).second) << "rows of a mnemonic must be contiguous";
      EXPECT_EQ(first_row_of(mnemonic), row);
      previous = mnemonic;
    }
    EXPECT_EQ(row_field(text, 4), row_field(table_row(*first_row_of(mnemonic)), 4));
    EXPECT_EQ(row_field(text, 6).size(), 8u);
    const bool two_bytes = row_field(text, 5) == "2";
    EXPECT_EQ(two_bytes, !row_field(text, 7).empty());
  }
}

TEST(AsmInstructionTable, OpcodesOccurOnceExceptTheSharedPair) {
  std::multiset<int> opcodes;
  for (std::size_t row = 0; row < 216; ++row) opcodes.insert(bits_value(row_field(table_row(row), 6)));
  for (int opcode : opcodes) EXPECT_EQ(opcodes.count(opcode), (opcode == 0x08 || opcode == 0x90) ? 2u : 1u) << opcode;
}

TEST(AsmInstructionTable, LookupAndFields) {
  EXPECT_EQ(table_row(*first_row_of("mov") + 9), "mov;a;r7;2;1;11111111;");
  EXPECT_EQ(table_row(*first_row_of("movp3")), "movp3;a;@a;2;1;11100011;");
  EXPECT_EQ(table_row(*first_row_of("add") + 10), "add;a;#§data§;2;2;00000011;§data§");
  EXPECT_FALSE(first_row_of("foo"));
  EXPECT_FALSE(first_row_of("$$$$"));
  EXPECT_FALSE(first_row_of("jmp"));
  EXPECT_FALSE(first_row_of("MOV"));  // callers fold case first
  EXPECT_EQ(row_field("a;b", 5), "");
}

}  // namespace
