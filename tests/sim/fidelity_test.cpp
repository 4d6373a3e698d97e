// Behaviour Intel's MCS-48 manual gives where a simulator easily takes a
// shortcut: A11 held low in an interrupt routine until retr, P20-P23
// carrying the 8243's nibbles (the port 2 latch follows them), and the
// trace naming the bank sel mb0/mb1 chose for a jmp or call.
#include "sim/trace_format.h"
#include "sim_support.h"

namespace zorvin::sim::test {
namespace {

TEST(InterruptReturn, A11StaysLowUntilRetr) {
  // The program waits at 900H in bank 1 when INT goes low; the routine at
  // 003H returns with ret or retr.
  const struct {
    const char* name;
    std::uint8_t return_opcode;
    std::uint16_t pc;        // after the return
    bool in_interrupt;       // still being served
    std::uint16_t jump_to;   // where a following jmp 0D0H goes
  } cases[] = {
      {"ret", 0x83, 0x100, true, 0x0D0},
      {"retr", 0x93, 0x900, false, 0x8D0},
  };
  for (const auto& c : cases) {
    Simulator simulator = with_bytes({c.return_opcode}, 0x003);
    simulator.load_program(std::vector<std::uint8_t>{0x04, 0xD0}, 0x900);  // jmp 0D0H (in the bank of MBF)
    simulator.load_program(std::vector<std::uint8_t>{0x04, 0xD0}, 0x100);
    simulator.state().pc = 0x900;
    simulator.state().memory_bank1 = true;
    simulator.state().interrupt_enabled = true;
    simulator.drive(Port::Int, 0);
    simulator.run({.max_steps = 2});  // the entry and the return
    EXPECT_EQ(simulator.state().pc, c.pc) << c.name;
    EXPECT_EQ(simulator.state().in_interrupt, c.in_interrupt) << c.name;
    simulator.drive(Port::Int, 1);
    simulator.run({.max_steps = 1});
    EXPECT_EQ(simulator.state().pc, c.jump_to) << c.name;
  }
}

TEST(InterruptReturn, RetFromASubroutineInsideTheRoutineComesBack) {
  // call 050H from the routine at 003H; 050H: ret; back at 005H.
  Simulator simulator = with_bytes({0x14, 0x50, 0x00}, 0x003);
  simulator.load_program(std::vector<std::uint8_t>{0x83}, 0x050);
  simulator.state().pc = 0x900;
  simulator.state().memory_bank1 = true;
  simulator.state().interrupt_enabled = true;
  simulator.drive(Port::Int, 0);
  simulator.run({.max_steps = 3});
  EXPECT_EQ(simulator.state().pc, 0x005);
  EXPECT_EQ(simulator.state().sp, 1);
}

struct ExpanderCase {
  const char* name;
  const char* source;
  const char* expected;  // P2 is the pin level: the latch with nothing driving from outside
};

class Expander : public testing::TestWithParam<ExpanderCase> {};

TEST_P(Expander, P20ToP23CarryTheNibbleAndTheExpanderKeepsItsPorts) {
  const ExpanderCase& c = GetParam();
  std::vector<ProgramLabel> labels;
  Simulator simulator = assembled(std::string(c.source) + "\ndone: jmp done\n", Variant::I8048, &labels);
  ASSERT_EQ(run_to(simulator, labels, "done").reason, StopReason::Address);
  EXPECT_EQ(unmet(simulator, c.expected), "") << c.name;
}

const ExpanderCase kExpander[] = {
    {"movd_puts_the_data_on_p20_p23", "mov a,#0A5h\nmovd p4,a\nmovd a,p4\nmov r0,a\nmov a,#0A5h\nmovd p4,a",
     "P2=F5 R0=05"},
    {"the_high_half_of_p2_keeps_its_latch", "mov a,#30h\noutl p2,a\nmov a,#0Ch\nmovd p7,a", "P2=3C"},
    {"orld_puts_out_the_operand_not_the_result", "mov a,#0Ah\nmovd p5,a\nmov a,#3\norld p5,a\nmovd a,p5\nmov r1,a\n"
     "mov a,#3\norld p5,a", "P2=F3 R1=0B"},
    {"anld_puts_out_the_operand_not_the_result", "mov a,#0Ah\nmovd p6,a\nmov a,#0Ch\nanld p6,a\nmovd a,p6\nmov r2,a\n"
     "mov a,#0Ch\nanld p6,a", "P2=FC R2=08"},
    {"movd_a_leaves_p20_p23_as_inputs", "mov a,#0\noutl p2,a\nmov a,#6\nmovd p5,a\nclr a\nmovd a,p5", "P2=0F A=06"},
};
INSTANTIATE_TEST_SUITE_P(Expander, Expander, testing::ValuesIn(kExpander),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Expander, ThePinChangeOfTheNibbleIsReported) {
  Simulator simulator = assembled("mov a,#0F6h\nmovd p4,a\n");
  std::vector<PinEvent> events;
  simulator.set_pin_listener([&](const PinEvent& event) {
    if (event.port == Port::P2) events.push_back(event);
  });
  simulator.run({.max_steps = 2});
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].port, Port::P2);
  EXPECT_EQ(events[0].level, 0xF6);
  EXPECT_EQ(events[0].cycle, 4u);
}

TEST(TraceText, JmpAndCallNameTheBankSelMbChose) {
  const struct {
    const char* name;
    std::uint16_t at;
    std::vector<std::uint8_t> bytes;
    bool memory_bank1;
    bool in_interrupt;
    const char* text;
  } cases[] = {
      {"jmp_in_bank_0_after_sel_mb1", 0x010, {0x84, 0x00}, true, false, "jmp 0C00H"},
      {"call_in_bank_1_after_sel_mb0", 0x810, {0x54, 0x20}, false, false, "call 220H"},
      {"jmp_in_bank_1_after_sel_mb1", 0x810, {0x24, 0x05}, true, false, "jmp 905H"},
      {"call_in_an_interrupt_routine", 0x010, {0x14, 0x40}, true, true, "call 040H"},
  };
  for (const auto& c : cases) {
    Simulator simulator = with_bytes(c.bytes, c.at);
    simulator.state().memory_bank1 = c.memory_bank1;
    simulator.state().in_interrupt = c.in_interrupt;
    EXPECT_EQ(instruction_at(simulator, c.at), c.text) << c.name;
  }
}

TEST(TraceText, TheTraceLineOfAJumpShowsWhereItWent) {
  // sel mb1; jmp 400H: the program goes to C00H, and the trace says so.
  Simulator simulator = with_bytes({0xF5, 0x84, 0x00});
  std::vector<std::string> lines;
  simulator.set_trace([&](const TraceStep& step) { lines.push_back(trace_line(simulator, step)); });
  simulator.run({.max_steps = 2});
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(simulator.state().pc, 0xC00);
  EXPECT_TRUE(lines[1].ends_with("jmp 0C00H")) << lines[1];
}

}  // namespace
}  // namespace zorvin::sim::test
