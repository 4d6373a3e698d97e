// Cycles: each instruction's 1 or 2 machine cycles as Intel's manual gives
// them, and ranges with djnz loops whose count is known or not.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "analysis_test_program.h"

namespace {

using zorvin::analysis::cycles_at;
using zorvin::analysis::range_cycles;
using zorvin::analysis::testing::program_of;

TEST(AnalysisCycles, EachInstructionTakesOneOrTwoCycles) {
  struct Case {
    const char* line;
    int cycles;
  };
  // Two cycles: every two-byte instruction, the port and bus transfers,
  // external memory, program memory reads, jmpp and the returns.
  const Case cases[] = {
      {"nop", 1},          {"mov a,r3", 1},      {"inc @r0", 1},     {"en i", 1},         {"sel mb1", 1},
      {"mov a,t", 1},      {"strt t", 1},        {"rlc a", 1},       {"xchd a,@r1", 1},   {"mov a,#1", 2},
      {"add a,#5", 2},     {"mov r7,#10", 2},    {"anl p1,#0Fh", 2}, {"jmp l", 2},        {"call l", 2},
      {"jc l", 2},         {"djnz r2,l", 2},     {"jb7 l", 2},       {"in a,p1", 2},      {"ins a,bus", 2},
      {"outl p2,a", 2},    {"movd a,p4", 2},     {"anld p5,a", 2},   {"orld p6,a", 2},    {"movx a,@r0", 2},
      {"movx @r1,a", 2},   {"movp a,@a", 2},     {"movp3 a,@a", 2},  {"jmpp @a", 2},      {"ret", 2},
      {"retr", 2},
  };
  for (const Case& c : cases) {
    const auto program = program_of(std::string("l:      ") + c.line + "\n");
    EXPECT_EQ(cycles_at(program, 0), c.cycles) << c.line;
  }
}

TEST(AnalysisCycles, OnlyWhereAnInstructionStarts) {
  const auto program = program_of("        mov a,#1\n        db 0\n");
  EXPECT_EQ(cycles_at(program, 0), 2);
  EXPECT_EQ(cycles_at(program, 1), 0);  // its second byte
  EXPECT_EQ(cycles_at(program, 2), 0);  // data
  EXPECT_EQ(cycles_at(program, 3), 0);  // free
  EXPECT_EQ(cycles_at(program, -1), 0);
  EXPECT_EQ(cycles_at(program, 0x1000), 0);
}

TEST(AnalysisCycles, RangesCountLoopsNTimes) {
  struct Case {
    const char* what;
    const char* source;  // the range is all of it
    std::int64_t straight;
    const char* formula;
    std::optional<std::int64_t> total;
  };
  const Case cases[] = {
      {"delay of known length", "        mov r7,#10\nl:      djnz r7,l\n", 4, "2+2·N", 22},
      {"count 0 runs 256 times", "        mov r7,#0\nl:      djnz r7,l\n", 4, "2+2·N", 514},
      {"body of several instructions", "        mov r3,#4\nl:      nop\n        outl p1,a\n        djnz r3,l\n        ret\n",
       9, "4+5·N", 24},
      {"nested loops", "        mov r6,#3\no:      mov r7,#10\ni:      djnz r7,i\n        djnz r6,o\n", 8,
       "2+(4+2·N2)·N1", 74},
      {"count from a register", "        mov a,r3\n        mov r7,a\nl:      djnz r7,l\n", 4, "2+2·N", std::nullopt},
      {"body changes the count", "        mov r7,#5\nl:      inc r7\n        djnz r7,l\n", 5, "2+3·N", std::nullopt},
      {"mov of another register", "        mov r6,#5\nl:      djnz r7,l\n", 4, "2+2·N", std::nullopt},
      {"a jump between mov and loop", "        mov r7,#5\n        jmp l\nl:      djnz r7,l\n", 6, "4+2·N",
       std::nullopt},
      {"a call between mov and loop", "        mov r7,#5\n        call l\nl:      djnz r7,l\n", 6, "4+2·N",
       std::nullopt},
      {"another register bank", "        mov r7,#5\n        sel rb1\nl:      djnz r7,l\n", 5, "3+2·N", std::nullopt},
      {"a conditional jump between", "        mov r7,#5\n        jc l\nl:      djnz r7,l\n", 6, "4+2·N", 14},
      {"no loop", "        nop\n        mov a,#1\n        outl p1,a\n        ret\n", 7, "", 7},
      {"forward djnz is no loop", "        mov r7,#2\n        djnz r7,l\nl:      ret\n", 6, "", 6},
  };
  for (const Case& c : cases) {
    const auto program = program_of(c.source);
    const auto cycles = range_cycles(program, 0, 0x7FF);
    EXPECT_EQ(cycles.straight, c.straight) << c.what;
    EXPECT_EQ(cycles.formula, c.formula) << c.what;
    EXPECT_EQ(cycles.total, c.total) << c.what;
  }
}

TEST(AnalysisCycles, TheCountIsFoundBeforeARangeThatStartsAtTheLoop) {
  const auto program = program_of("        mov r7,#10\nl:      djnz r7,l\n        ret\n");
  const auto loop = range_cycles(program, 2, 3);
  EXPECT_EQ(loop.formula, "2·N");
  EXPECT_EQ(loop.total, 20);
  EXPECT_EQ(loop.text(), "Zyklen: 2, mit Schleifen: 2·N; N = 10 (r7): 20");
  EXPECT_EQ(range_cycles(program, 0, 4).text(), "Zyklen: 6, mit Schleifen: 4+2·N; N = 10 (r7): 24");
}

TEST(AnalysisCycles, UnknownCountsAreNamed) {
  const auto program = program_of("        mov r6,a\no:      mov r7,#3\ni:      djnz r7,i\n        djnz r6,o\n");
  EXPECT_EQ(range_cycles(program, 0, 0xFF).text(),
            "Zyklen: 7, mit Schleifen: 1+(4+2·N2)·N1; N1 (r6), N2 = 3 (r7) unbekannt");
}

}  // namespace

namespace {

// A UPI-41/42 reads some opcodes otherwise: out dbb,a (02H) takes one
// cycle where the 8048's outl bus,a takes two, and in a,dbb (22H) exists.
TEST(AnalysisCycles, AUpiProgramIsReadWithItsOwnSet) {
  EXPECT_TRUE(zorvin::analysis::names_upi_part("        cpu 8041\n        out dbb,a\n"));
  EXPECT_FALSE(zorvin::analysis::names_upi_part("        cpu 8048\n        outl bus,a\n"));
  EXPECT_FALSE(zorvin::analysis::names_upi_part("        outl bus,a\n"));
  zorvin::asm48::Assembler assembler;
  ASSERT_TRUE(assembler.run("        cpu 8041\n        out dbb,a\n        in a,dbb\n        ret\n").ok());
  const auto upi = zorvin::analysis::program_from_table(assembler.table(), true);
  EXPECT_EQ(cycles_at(upi, 0), 1);
  EXPECT_EQ(cycles_at(upi, 1), 1);
  EXPECT_EQ(range_cycles(upi, 0, 2).straight, 4);
  const auto mcs48 = zorvin::analysis::program_from_table(assembler.table(), false);
  EXPECT_EQ(cycles_at(mcs48, 0), 2);
}

}  // namespace

namespace {

TEST(AnalysisCycles, ASelectionOfLines) {
  const auto program = program_of("        org 10h\nwait:   mov r7,#10\nl:      djnz r7,l\n        db 1\n        ret\n");
  struct Case {
    int first_line;
    int last_line;
    std::optional<std::int64_t> total;
  };
  const Case cases[] = {{2, 3, 22}, {3, 3, 20}, {2, 5, 24}, {1, 1, std::nullopt}, {4, 4, std::nullopt}, {9, 20, std::nullopt}};
  for (const Case& c : cases) {
    const auto cycles = zorvin::analysis::line_range_cycles(program, c.first_line, c.last_line);
    EXPECT_EQ(cycles.has_value(), c.total.has_value()) << c.first_line << "-" << c.last_line;
    if (cycles && c.total) {
      EXPECT_EQ(cycles->total, *c.total) << c.first_line << "-" << c.last_line;
    }
  }
}

}  // namespace
