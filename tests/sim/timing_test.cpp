// The timer (one count per 32 cycles after strt t), the event counter on
// T1, the timer flag and both interrupts, to the cycle. An interrupt is
// taken at the first instruction boundary where it is pending and enabled;
// its entry is a call of two cycles.
#include "sim_support.h"

namespace zorvin::sim::test {
namespace {

std::string nops(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += " nop\n";
  return text;
}

TEST(Timer, CountsOncePer32CyclesFromStrtT) {
  // strt t ends at cycle 4; then one nop per cycle.
  Simulator simulator = assembled(" mov a,#0\n mov t,a\n strt t\n" + nops(200));
  const struct {
    std::uint64_t cycle;
    std::uint8_t timer;
  } points[] = {{4, 0}, {35, 0}, {36, 1}, {67, 1}, {68, 2}, {100, 3}, {196, 6}};
  for (const auto& point : points) {
    simulator.run({.until_cycle = point.cycle});
    EXPECT_EQ(simulator.state().cycles, point.cycle);
    EXPECT_EQ(simulator.state().timer, point.timer) << "cycle " << point.cycle;
  }
  EXPECT_FALSE(simulator.state().timer_flag);
}

TEST(Timer, MovATReadsTheCountSoFar) {
  // strt t ends at 4; 40 nops bring the boundary to 44 (one count), then mov a,t.
  std::vector<ProgramLabel> labels;
  Simulator simulator = assembled(" mov a,#7\n mov t,a\n strt t\n" + nops(40) + " mov a,t\ndone: jmp done\n",
                                  Variant::I8048, &labels);
  run_to(simulator, labels, "done");
  EXPECT_EQ(unmet(simulator, "A=08 CYCLES=45"), "");
}

TEST(Timer, OverflowSetsTheFlagThatJtfClears) {
  // T = FEH: overflow two counts (64 cycles) after strt t ends at 4, i.e.
  // at 68; jtf runs at 4, 8, ..., 68 and jumps there.
  std::vector<ProgramLabel> labels;
  Simulator simulator =
      assembled(" mov a,#0FEh\n mov t,a\n strt t\nloop: jtf done\n jmp loop\ndone: jmp done\n", Variant::I8048, &labels);
  run_to(simulator, labels, "done");
  EXPECT_EQ(unmet(simulator, "CYCLES=70 T=00 TF=0"), "");
}

TEST(Timer, StopTcntHoldsTheCount) {
  Simulator simulator = assembled(" strt t\n" + nops(40) + " stop tcnt\n" + nops(100));
  simulator.run({.until_cycle = 150});
  EXPECT_EQ(simulator.state().timer, 1);
  EXPECT_EQ(simulator.state().timer_mode, TimerMode::Stopped);
}

constexpr const char* kTimerInterrupt =
    " jmp start\n"
    " org 7\n"
    "isr: inc r6\n"
    " retr\n"
    "start: mov a,#0FFh\n"
    " mov t,a\n"
    " en tcnti\n"
    " strt t\n"
    "loop: nop\n"
    " jmp loop\n";

TEST(TimerInterrupt, EntersAtTheFirstBoundaryAfterTheOverflow) {
  // strt t ends at 7, the overflow comes at 39; the loop's boundaries are
  // 7, 8, 10, 11, ... 37, 38, 40: the entry runs 40-42.
  std::vector<ProgramLabel> labels;
  Simulator simulator = assembled(kTimerInterrupt, Variant::I8048, &labels);
  const RunResult result = run_to(simulator, labels, "isr");
  EXPECT_EQ(result.reason, StopReason::Address);
  EXPECT_EQ(unmet(simulator, "CYCLES=42 SP=1 RAM[08]=0E T=00 TF=1"), "");
  EXPECT_TRUE(simulator.state().in_interrupt);
  EXPECT_FALSE(simulator.state().timer_interrupt_pending);
  // inc r6 and retr: back in the loop at 45, no second entry until the next overflow.
  simulator.run({.until_cycle = 45});
  EXPECT_EQ(unmet(simulator, "R6=01 SP=0 PC=00E"), "");
  EXPECT_FALSE(simulator.state().in_interrupt);
  // The next overflow: 256 counts later, at 39 + 8192.
  simulator.run({.until_cycle = 39 + 8192});
  EXPECT_EQ(simulator.reg(6), 1);
  simulator.run({.until_cycle = 39 + 8192 + 5});
  EXPECT_EQ(simulator.reg(6), 2);
}

TEST(TimerInterrupt, DisTcntiDropsAPendingRequest) {
  // A request that waits while another interrupt routine runs.
  Simulator simulator = assembled(" dis tcnti\n retr\n" + nops(10));
  simulator.state().in_interrupt = true;
  simulator.state().timer_interrupt_enabled = true;
  simulator.state().timer_interrupt_pending = true;
  simulator.state().timer_flag = true;
  simulator.state().sp = 1;
  simulator.run({.max_steps = 2});
  EXPECT_FALSE(simulator.state().timer_interrupt_pending);
  EXPECT_TRUE(simulator.state().timer_flag);
  EXPECT_FALSE(simulator.state().in_interrupt);
  EXPECT_EQ(simulator.state().sp, 0);
}

TEST(TimerInterrupt, AnOverflowWhileDisabledOnlySetsTheFlag) {
  // strt t ends at 4, the overflow at 36 finds the interrupt off.
  Simulator simulator = assembled(" mov a,#0FFh\n mov t,a\n strt t\n" + nops(40) + " en tcnti\n" + nops(5));
  simulator.run({.until_cycle = 50});
  EXPECT_TRUE(simulator.state().timer_flag);
  EXPECT_FALSE(simulator.state().in_interrupt);
  EXPECT_EQ(simulator.state().sp, 0);
}

constexpr const char* kExternalInterrupt =
    " jmp start\n"
    " org 3\n"
    "isr: inc r5\n"
    "back: retr\n"
    "start: en i\n"
    "loop: nop\n"
    " jmp loop\n";

TEST(ExternalInterrupt, LowLevelOnIntEntersAtTheNextBoundary) {
  // en i ends at 3; boundaries 3, 4, 6, 7, ..., 19, 21: INT low from 20
  // is taken at 21, the routine starts at 23.
  std::vector<ProgramLabel> labels;
  Simulator simulator = assembled(kExternalInterrupt, Variant::I8048, &labels);
  simulator.schedule(20, Port::Int, 0);
  run_to(simulator, labels, "isr");
  EXPECT_EQ(unmet(simulator, "CYCLES=23 SP=1 RAM[08]=06"), "");
}

TEST(ExternalInterrupt, NoSecondEntryUntilRetrThenAgainWhileIntStaysLow) {
  std::vector<ProgramLabel> labels;
  Simulator simulator = assembled(kExternalInterrupt, Variant::I8048, &labels);
  simulator.schedule(20, Port::Int, 0);
  run_to(simulator, labels, "isr");
  // inc r5 23-24, retr 24-26, and INT is still low: in again at 26-28.
  simulator.run({.until_cycle = 26});
  EXPECT_EQ(unmet(simulator, "R5=01 SP=0"), "");
  run_to(simulator, labels, "isr");
  EXPECT_EQ(unmet(simulator, "CYCLES=28 R5=01 SP=1"), "");
}

TEST(ExternalInterrupt, IntBackHighBeforeRetrEndsIt) {
  std::vector<ProgramLabel> labels;
  Simulator simulator = assembled(kExternalInterrupt, Variant::I8048, &labels);
  simulator.schedule(20, Port::Int, 0);
  simulator.schedule(24, Port::Int, 1);
  simulator.run({.until_cycle = 200});
  EXPECT_EQ(simulator.reg(5), 1);
  EXPECT_FALSE(simulator.state().in_interrupt);
}

TEST(ExternalInterrupt, TakesPriorityOverThePendingTimerInterrupt) {
  Simulator simulator = assembled(nops(10));
  State& s = simulator.state();
  s.interrupt_enabled = true;
  s.timer_interrupt_enabled = true;
  s.timer_interrupt_pending = true;
  simulator.drive(Port::Int, 0);
  simulator.step();
  EXPECT_EQ(s.pc, kExternalInterruptVector);
  EXPECT_TRUE(s.timer_interrupt_pending);
  EXPECT_EQ(s.cycles, 2u);
}

TEST(EventCounter, CountsFallingEdgesOnT1) {
  Simulator simulator = assembled(" mov a,#0FEh\n mov t,a\n strt cnt\n" + nops(60));
  for (std::uint64_t cycle : {10, 20, 30}) {
    simulator.schedule(cycle, Port::T1, 0);
    simulator.schedule(cycle + 5, Port::T1, 1);
  }
  simulator.run({.until_cycle = 15});
  EXPECT_EQ(simulator.state().timer, 0xFF);
  EXPECT_FALSE(simulator.state().timer_flag);
  simulator.run({.until_cycle = 25});
  EXPECT_EQ(simulator.state().timer, 0x00);
  EXPECT_TRUE(simulator.state().timer_flag);
  simulator.run({.until_cycle = 40});
  EXPECT_EQ(simulator.state().timer, 0x01);
  EXPECT_TRUE(simulator.state().timer_flag);
}

TEST(EventCounter, RisingEdgesAndTheStoppedCounterDoNotCount) {
  Simulator simulator = assembled(" strt cnt\n" + nops(60));
  simulator.schedule(10, Port::T1, 0);  // counts
  simulator.schedule(15, Port::T1, 1);  // rising: no count
  simulator.run({.until_cycle = 20});
  EXPECT_EQ(simulator.state().timer, 1);
  simulator.state().timer_mode = TimerMode::Stopped;
  simulator.schedule(30, Port::T1, 0);
  simulator.run({.until_cycle = 40});
  EXPECT_EQ(simulator.state().timer, 1);
}

TEST(Reset, LeavesTheManualsState) {
  Simulator simulator =
      assembled(" sel rb1\n sel mb1\n en i\n strt t\n cpl f0\n cpl f1\n mov a,#55h\n outl p1,a\n call sub\nsub: nop\n");
  simulator.run({.max_steps = 9});
  simulator.reset();
  EXPECT_EQ(unmet(simulator, "PC=000 SP=0 F0=0 F1=0 P1=FF P2=FF A=55 PSW=08"), "");
  EXPECT_FALSE(simulator.state().memory_bank1);
  EXPECT_FALSE(simulator.state().interrupt_enabled);
  EXPECT_EQ(simulator.state().timer_mode, TimerMode::Stopped);
}

TEST(Runs, BreakpointsStopBeforeTheInstructionAndAContinueRunsOn) {
  std::vector<ProgramLabel> labels;
  Simulator simulator = assembled(" mov r7,#3\nloop: djnz r7,loop\ndone: jmp done\n", Variant::I8048, &labels);
  simulator.set_breakpoint(*label_address(labels, "loop"), true);
  for (int pass = 0; pass < 3; ++pass) {
    const RunResult result = simulator.run({.until_cycle = 1000});
    EXPECT_EQ(result.reason, StopReason::Breakpoint);
    EXPECT_EQ(simulator.state().cycles, 2u + 2u * static_cast<unsigned>(pass));
  }
  EXPECT_EQ(simulator.run({.until_cycle = 1000}).reason, StopReason::CycleLimit);
  EXPECT_EQ(simulator.state().cycles, 1000u);
}

TEST(Runs, CycleLimitStopsAtTheFirstBoundaryAtOrAfterIt) {
  Simulator simulator = assembled("loop: mov a,#1\n jmp loop\n");
  const RunResult result = simulator.run({.until_cycle = 5});
  EXPECT_EQ(result.reason, StopReason::CycleLimit);
  EXPECT_EQ(simulator.state().cycles, 6u);
  EXPECT_EQ(result.steps, 3u);
}

TEST(Runs, ClockTurnsCyclesIntoTime) {
  Simulator simulator;
  EXPECT_DOUBLE_EQ(simulator.seconds(400), 400 * 2.5e-6);  // 6 MHz: 2.5 us a cycle
  simulator.set_clock_hz(11'000'000);
  EXPECT_NEAR(simulator.seconds(11'000'000), 15.0, 1e-9);
}

}  // namespace
}  // namespace zorvin::sim::test

namespace zorvin::sim::test {
namespace {

constexpr const char* kCalls =
    " call count\n"       // 000
    "next: nop\n"         // 002
    " jmp next\n"
    "count: mov r7,#3\n"
    "again: djnz r7,again\n"
    " mov a,r6\n"
    " jz done\n"
    " ret\n"
    "done: mov r6,#1\n"   // the first call calls itself once more
    " call count\n"
    " ret\n";

TEST(StepOver, RunsACallToItsReturnAtTheSameDepth) {
  std::vector<ProgramLabel> labels;
  Simulator simulator = assembled(kCalls, Variant::I8048, &labels);
  const RunResult result = simulator.step_over();
  EXPECT_EQ(result.reason, StopReason::Address);
  EXPECT_EQ(simulator.state().pc, *label_address(labels, "next"));
  EXPECT_EQ(simulator.state().sp, 0);
  EXPECT_EQ(simulator.reg(6), 1);
  // Anything else is one step.
  EXPECT_EQ(simulator.step_over().steps, 1u);
  // call, count (r6 = 0), mov r6 and call, count (r6 = 1) with ret, ret, then the nop
  EXPECT_EQ(simulator.state().cycles, 2u + (2 + 6 + 1 + 2) + 2 + 2 + (2 + 6 + 1 + 2 + 2) + 2 + 1);
}

TEST(StepOver, StopsAtABreakpointInsideAndAtTheCycleLimit) {
  std::vector<ProgramLabel> labels;
  Simulator simulator = assembled(kCalls, Variant::I8048, &labels);
  simulator.set_breakpoint(*label_address(labels, "done"), true);
  EXPECT_EQ(simulator.step_over().reason, StopReason::Breakpoint);
  Simulator limited = assembled(kCalls);
  EXPECT_EQ(limited.step_over(6).reason, StopReason::CycleLimit);
}

}  // namespace
}  // namespace zorvin::sim::test
