// Every instruction group: small programs with the registers, flags, RAM
// and cycle counts Intel's MCS-48 manual gives (one cycle for one-byte
// register and accumulator instructions, two for two-byte ones and for
// ports, external and program memory and returns). CYCLES is the count
// when the PC reaches "done".
#include "sim_support.h"

namespace zorvin::sim::test {
namespace {

struct Case {
  const char* name;
  const char* source;
  const char* expected;
};

class Instructions : public testing::TestWithParam<Case> {};

TEST_P(Instructions, GiveTheManualsResult) {
  const Case& c = GetParam();
  std::vector<ProgramLabel> labels;
  Simulator simulator = assembled(std::string(c.source) + "\ndone: jmp done\n", Variant::I8048, &labels);
  const RunResult result = run_to(simulator, labels, "done");
  ASSERT_EQ(result.reason, StopReason::Address) << c.name;
  EXPECT_EQ(unmet(simulator, c.expected), "") << c.name;
}

// PSW: C (80H), AC (40H), F0 (20H), BS (10H), bit 3 always 1, SP.
const Case kArithmetic[] = {
    {"add_immediate_sets_carry_and_aux_carry", "mov a,#3Ah\nadd a,#0C8h", "A=02 PSW=C8 CYCLES=4"},
    {"add_register", "mov r3,#25h\nmov a,#11h\nadd a,r3", "A=36 PSW=08 CYCLES=5"},
    {"add_indirect", "mov r0,#30h\nmov @r0,#7\nmov a,#1\nadd a,@r0", "A=08 RAM[30]=07 CYCLES=7"},
    {"addc_adds_the_carry", "clr c\ncpl c\nmov a,#0FFh\naddc a,#00h", "A=00 PSW=C8 CYCLES=6"},
    {"addc_register", "clr c\ncpl c\nmov r5,#10h\nmov a,#20h\naddc a,r5", "A=31 PSW=08 CYCLES=7"},
    {"addc_indirect", "mov r1,#22h\nmov @r1,#0Fh\nclr c\ncpl c\nmov a,#0\naddc a,@r1", "A=10 PSW=48 CYCLES=9"},
    {"da_after_aux_carry", "mov a,#19h\nadd a,#28h\nda a", "A=47 PSW=48 CYCLES=5"},
    {"da_after_carry", "mov a,#99h\nadd a,#99h\nda a", "A=98 PSW=C8 CYCLES=5"},
    {"da_of_both_nibbles", "mov a,#0AAh\nda a", "A=10 C=1 CYCLES=3"},
    {"inc_a_leaves_carry", "mov a,#0FFh\ninc a", "A=00 C=0 CYCLES=3"},
    {"dec_a", "clr a\ndec a", "A=FF C=0 CYCLES=2"},
    {"inc_dec_register", "mov r2,#0\ndec r2\ninc r2\ninc r2", "R2=01 CYCLES=5"},
    {"inc_indirect_wraps", "mov r1,#3Fh\nmov @r1,#0FFh\ninc @r1", "RAM[3F]=00 C=0 CYCLES=5"},
};
INSTANTIATE_TEST_SUITE_P(Arithmetic, Instructions, testing::ValuesIn(kArithmetic),
                         [](const auto& info) { return std::string(info.param.name); });

const Case kLogic[] = {
    {"anl_register", "mov a,#0F0h\nmov r4,#3Ch\nanl a,r4", "A=30 CYCLES=5"},
    {"anl_indirect", "mov r0,#10h\nmov @r0,#0Fh\nmov a,#3Ch\nanl a,@r0", "A=0C CYCLES=7"},
    {"orl_immediate", "mov a,#0F0h\norl a,#0Fh", "A=FF CYCLES=4"},
    {"orl_register", "mov r7,#01h\nmov a,#80h\norl a,r7", "A=81 CYCLES=5"},
    {"xrl_immediate", "mov a,#0FFh\nxrl a,#5Ah", "A=A5 CYCLES=4"},
    {"xrl_indirect", "mov r0,#21h\nmov @r0,#81h\nmov a,#01h\nxrl a,@r0", "A=80 CYCLES=7"},
    {"cpl_a", "mov a,#55h\ncpl a", "A=AA CYCLES=3"},
    {"clr_a", "mov a,#55h\nclr a", "A=00 CYCLES=3"},
    {"swap", "mov a,#3Ch\nswap a", "A=C3 CYCLES=3"},
    {"rlc_through_carry", "mov a,#81h\nclr c\nrlc a", "A=02 C=1 CYCLES=4"},
    {"rl_without_carry", "mov a,#81h\nrl a", "A=03 C=0 CYCLES=3"},
    {"rr_without_carry", "mov a,#81h\nrr a", "A=C0 C=0 CYCLES=3"},
    {"rrc_through_carry", "clr c\ncpl c\nmov a,#02h\nrrc a", "A=81 C=0 CYCLES=5"},
    {"logic_leaves_carry", "clr c\ncpl c\nmov a,#0FFh\nanl a,#0\norl a,#1\nxrl a,#3", "A=02 C=1 CYCLES=10"},
};
INSTANTIATE_TEST_SUITE_P(Logic, Instructions, testing::ValuesIn(kLogic),
                         [](const auto& info) { return std::string(info.param.name); });

const Case kMoves[] = {
    {"xch_register", "mov r6,#12h\nmov a,#34h\nxch a,r6", "A=12 R6=34 CYCLES=5"},
    {"xch_indirect", "mov r0,#30h\nmov @r0,#12h\nmov a,#34h\nxch a,@r0", "A=12 RAM[30]=34 CYCLES=7"},
    {"xchd_swaps_low_nibbles", "mov r1,#25h\nmov @r1,#0ABh\nmov a,#0CDh\nxchd a,@r1", "A=CB RAM[25]=AD CYCLES=7"},
    {"mov_indirect", "mov r1,#3Eh\nmov a,#77h\nmov @r1,a\nclr a\nmov a,@r1", "A=77 RAM[3E]=77 CYCLES=7"},
    {"mov_register_from_a", "mov a,#5Ah\nmov r3,a\nmov a,r3", "A=5A R3=5A RAM[03]=5A CYCLES=4"},
    {"register_bank_1", "sel rb1\nmov r0,#5\nmov a,psw", "A=18 RAM[18]=05 RAM[00]=00 PSW=18 CYCLES=4"},
    {"register_bank_0_again", "sel rb1\nmov r7,#1\nsel rb0\nmov r7,#2", "RAM[1F]=01 RAM[07]=02 R7=02 CYCLES=6"},
    {"mov_psw_a_and_back", "mov a,#0E5h\nmov psw,a\nmov a,psw", "A=ED SP=5 C=1 F0=1 CYCLES=4"},
    {"flags_f0_f1", "cpl f0\ncpl f1\nclr f0", "F0=0 F1=1 CYCLES=3"},
    {"carry_complement", "clr c\ncpl c\ncpl c\ncpl c", "C=1 CYCLES=4"},
};
INSTANTIATE_TEST_SUITE_P(Moves, Instructions, testing::ValuesIn(kMoves),
                         [](const auto& info) { return std::string(info.param.name); });

const Case kBranches[] = {
    {"jz_taken", "mov a,#0\njz yes\nmov a,#1\nyes: inc a", "A=01 CYCLES=5"},
    {"jnz_not_taken", "mov a,#0\njnz yes\nmov a,#7\nyes: nop", "A=07 CYCLES=7"},
    {"jb_bits", "mov a,#4\njb2 yes\nmov a,#0\nyes: jb3 no\ninc a\nno: nop", "A=05 CYCLES=8"},
    {"jc_jnc", "clr c\njc no\ncpl c\njnc no\njc yes\nno: mov a,#0EEh\nyes: nop", "A=00 CYCLES=9"},
    {"jf0_jf1", "cpl f1\njf0 no\njf1 yes\nno: mov a,#0EEh\nyes: nop", "A=00 CYCLES=6"},
    {"call_and_ret", "call sub\nmov r2,a\njmp done\nsub: mov a,#42h\nret",
     "R2=42 SP=0 RAM[08]=02 RAM[09]=00 CYCLES=9"},
    {"call_pushes_psw_high_nibble", "clr c\ncpl c\nsel rb1\ncall sub\njmp done\nsub: mov a,psw\nret",
     "A=99 RAM[08]=05 RAM[09]=90 CYCLES=10"},
    {"ret_keeps_the_flags", "call sub\njmp done\nsub: clr c\ncpl c\nret", "C=1 SP=0 CYCLES=8"},
    {"retr_restores_the_flags", "call sub\njmp done\nsub: clr c\ncpl c\nsel rb1\nretr", "C=0 PSW=08 CYCLES=9"},
    {"djnz_delay_2_plus_2n", "mov r7,#10\nloop: djnz r7,loop", "R7=00 CYCLES=22"},
    {"djnz_from_zero_runs_256_times", "mov r7,#0\nloop: djnz r7,loop", "R7=00 CYCLES=514"},
    {"nested_delay", "mov r6,#3\nouter: mov r7,#4\ninner: djnz r7,inner\ndjnz r6,outer",
     "CYCLES=38"},  // 2 + 3 * (2 + 4 * 2 + 2)
    {"jmpp_takes_the_low_byte_from_the_page", "mov a,#80h\njmpp @a\norg 80h\ndb 90h\norg 90h\nmov r3,#1",
     "R3=01 CYCLES=6"},
    {"movp_reads_the_page", "mov a,#40h\nmovp a,@a\njmp done\norg 40h\ndb 5Ah", "A=5A CYCLES=6"},
    {"movp3_reads_page_3", "mov a,#10h\nmovp3 a,@a\njmp done\norg 310h\ndb 0C3h", "A=C3 CYCLES=6"},
    {"stack_wraps_after_eight_levels",
     "call l1\nl1: call l2\nl2: call l3\nl3: call l4\nl4: call l5\nl5: call l6\nl6: call l7\nl7: call l8\nl8: call l9\n"
     "l9: nop",
     "SP=1 RAM[08]=12 CYCLES=19"},
};
INSTANTIATE_TEST_SUITE_P(Branches, Instructions, testing::ValuesIn(kBranches),
                         [](const auto& info) { return std::string(info.param.name); });

// Opcode bytes where the assembler would not place them.
TEST(Jumps, ConditionalJumpAtThePageEndStaysInThePageOfItsSecondByte) {
  // jz at 0FFH: its second byte lies at 100H, so the target is 1xxH.
  Simulator simulator = with_bytes({0xC6, 0x20}, 0x0FF);
  simulator.load_program(std::vector<std::uint8_t>{0x04, 0xFF}, 0x000);  // jmp 0FFH
  ASSERT_EQ(simulator.run({.max_steps = 2}).reason, StopReason::StepLimit);
  EXPECT_EQ(simulator.state().pc, 0x120);
  EXPECT_EQ(simulator.state().cycles, 4u);
}

TEST(Jumps, MovpAtThePageEndReadsTheNextPage) {
  Simulator simulator = with_bytes({0xA3}, 0x0FF);
  simulator.load_program(std::vector<std::uint8_t>{0x11}, 0x005);
  simulator.load_program(std::vector<std::uint8_t>{0x22}, 0x105);
  simulator.state().pc = 0x0FF;
  simulator.state().a = 0x05;
  simulator.step();
  EXPECT_EQ(simulator.state().a, 0x22);
  EXPECT_EQ(simulator.state().pc, 0x100);
}

TEST(MemoryBanks, JmpAndCallTakeA11FromSelMb) {
  // sel mb1; jmp 010H -> 810H; there: call 020H -> 820H; ret; sel mb0; jmp 030H -> 030H
  Simulator simulator = with_bytes({0xF5, 0x04, 0x10});
  simulator.load_program(std::vector<std::uint8_t>{0x14, 0x20, 0xE5, 0x04, 0x30}, 0x810);
  simulator.load_program(std::vector<std::uint8_t>{0x83}, 0x820);
  simulator.run({.max_steps = 2});
  EXPECT_EQ(simulator.state().pc, 0x810);
  simulator.run({.max_steps = 1});
  EXPECT_EQ(simulator.state().pc, 0x820);
  simulator.run({.max_steps = 1});
  EXPECT_EQ(simulator.state().pc, 0x812);
  simulator.run({.max_steps = 2});
  EXPECT_EQ(simulator.state().pc, 0x030);
}

TEST(MemoryBanks, ThePcCountsWithinItsBank) {
  Simulator simulator = with_bytes({0x00}, 0xFFF);
  simulator.state().pc = 0xFFF;
  simulator.step();
  EXPECT_EQ(simulator.state().pc, 0x800);
}

TEST(MemoryBanks, AnInterruptRoutineJumpsInBank0) {
  // In bank 1 with MBF set, INT low: the routine at 003H jumps to 050H, not 850H.
  Simulator simulator = with_bytes({0x04, 0x50}, 0x003);
  simulator.load_program(std::vector<std::uint8_t>{0x00, 0x04, 0x00}, 0x900);  // nop; jmp 800H
  simulator.state().pc = 0x900;
  simulator.state().memory_bank1 = true;
  simulator.state().interrupt_enabled = true;
  simulator.drive(Port::Int, 0);
  simulator.run({.max_steps = 2});
  EXPECT_EQ(simulator.state().pc, 0x050);
  EXPECT_EQ(simulator.ram(8), 0x00);
  EXPECT_EQ(simulator.ram(9) & 0x0F, 0x09);  // return to 900H
}

TEST(UndefinedOpcodes, StopTheRunAtTheirAddress) {
  for (const std::uint8_t opcode : {0x01, 0x06, 0x22, 0x33, 0x63, 0x82, 0xC0, 0xD6, 0xF3}) {
    Simulator simulator = with_bytes({0x00, 0x00, opcode});
    const RunResult result = simulator.run({.max_steps = 10});
    EXPECT_EQ(result.reason, StopReason::UndefinedOpcode) << int{opcode};
    EXPECT_EQ(result.pc, 2);
    EXPECT_EQ(simulator.state().cycles, 2u);
    char expected[64];
    std::snprintf(expected, sizeof expected, "Undefinierter Befehlscode %02XH bei Adresse 0002H", opcode);
    EXPECT_EQ(stop_message(result), expected);
  }
}

// One step of each instruction: its cycles and length, as the manual's
// summary lists them.
struct Timing {
  const char* source;
  std::uint64_t cycles;
  std::uint16_t length;
};

class InstructionTiming : public testing::TestWithParam<Timing> {};

TEST_P(InstructionTiming, MatchesTheSummary) {
  const Timing& t = GetParam();
  Simulator simulator = assembled(std::string(" cpu 8048\n org 10h\n ") + t.source + "\n");
  simulator.state().pc = 0x10;
  ASSERT_EQ(simulator.step().reason, StopReason::StepLimit) << t.source;
  EXPECT_EQ(simulator.state().cycles, t.cycles) << t.source;
  if (t.length != 0) {
    EXPECT_EQ(simulator.state().pc, 0x10 + t.length) << t.source;
  }
}

const Timing kTimings[] = {
    {"nop", 1, 1},          {"add a,r5", 1, 1},     {"add a,#1", 2, 2},      {"addc a,@r1", 1, 1},
    {"anl a,#1", 2, 2},     {"anl p1,#1", 2, 2},    {"anl bus,#1", 2, 2},    {"anld p5,a", 2, 1},
    {"orl p2,#1", 2, 2},    {"orld p7,a", 2, 1},    {"in a,p1", 2, 1},       {"in a,p2", 2, 1},
    {"ins a,bus", 2, 1},    {"outl p1,a", 2, 1},    {"outl bus,a", 2, 1},    {"movd a,p4", 2, 1},
    {"movd p6,a", 2, 1},    {"movx a,@r0", 2, 1},   {"movx @r1,a", 2, 1},    {"movp a,@a", 2, 1},
    {"movp3 a,@a", 2, 1},   {"mov a,t", 1, 1},      {"mov t,a", 1, 1},       {"mov a,psw", 1, 1},
    {"mov r3,#9", 2, 2},    {"mov @r0,#9", 2, 2},   {"xch a,@r0", 1, 1},     {"xchd a,@r1", 1, 1},
    {"da a", 1, 1},         {"swap a", 1, 1},       {"strt t", 1, 1},        {"strt cnt", 1, 1},
    {"stop tcnt", 1, 1},    {"en i", 1, 1},         {"dis tcnti", 1, 1},     {"ent0 clk", 1, 1},
    {"sel mb1", 1, 1},      {"sel rb1", 1, 1},      {"clr f1", 1, 1},        {"cpl c", 1, 1},
    {"jmp 123h", 2, 0},     {"call 123h", 2, 0},    {"jmpp @a", 2, 0},       {"jtf 20h", 2, 2},
    {"jnt0 20h", 2, 0},     {"jni 20h", 2, 2},      {"djnz r1,20h", 2, 0},   {"jb7 20h", 2, 2},
};
INSTANTIATE_TEST_SUITE_P(Summary, InstructionTiming, testing::ValuesIn(kTimings));

}  // namespace
}  // namespace zorvin::sim::test
