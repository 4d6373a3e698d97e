// Where the time went: counts worked out by hand for small programs, per
// line and per address, in the core and as zorvin-sim --profile writes them.
#include "sim/profile.h"

#include "sim_cli.h"
#include "sim_support.h"

namespace zorvin::sim::test {
namespace {

struct Row {
  std::int32_t line;
  std::uint64_t executions;
  std::uint64_t cycles;
};

TEST(Profile, CountsPerLineAsWorkedOutByHand) {
  const struct {
    const char* name;
    const char* source;
    std::uint64_t steps;
    std::vector<Row> rows;
    std::uint64_t interrupts;
  } cases[] = {
      // mov 1x 2 cycles; djnz 5x 2 cycles; jmp 2x 2 cycles.
      {"djnz loop", "        mov r7,#5\nloop:   djnz r7,loop\ndone:   jmp done\n", 8, {{1, 1, 2}, {2, 5, 10}, {3, 2, 4}}, 0},
      // Nested: the inner djnz runs 3 x 4 times, the outer 3 times.
      {"nested loops",
       "        mov r6,#3\nouter:  mov r7,#4\ninner:  djnz r7,inner\n        djnz r6,outer\n        nop\n"
       "done:   jmp done\n",
       1 + 3 + 12 + 3 + 1 + 1,
       {{1, 1, 2}, {2, 3, 6}, {3, 12, 24}, {4, 3, 6}, {5, 1, 1}, {6, 1, 2}},
       0},
      // A call: its lines, a line never run (zero), comment lines without code left out.
      {"call and a line never run",
       "        call sub\n; a comment\ndone:   jmp done\n        nop\nsub:    inc a\n        ret\n", 5,
       {{1, 1, 2}, {3, 2, 4}, {4, 0, 0}, {5, 1, 1}, {6, 1, 2}},
       0},
      // Seven cycles to strt t, 32 more to the overflow (16 jmps), the
      // entry (counted apart) and retr.
      {"timer interrupt",
       "        jmp start\n        org 7\n        retr\nstart:  en tcnti\n        mov a,#0FFh\n        mov t,a\n"
       "        strt t\nloop:   jmp loop\n",
       5 + 16 + 1 + 1,
       {{1, 1, 2}, {3, 1, 2}, {4, 1, 1}, {5, 1, 2}, {6, 1, 1}, {7, 1, 1}, {8, 16, 32}},
       1},
  };
  for (const auto& c : cases) {
    const AssembledProgram program = assemble_program(c.source, {});
    ASSERT_TRUE(program.result.ok()) << c.name;
    Simulator simulator;
    simulator.load_program(program.bytes);
    Profile profile(simulator.variant());
    simulator.set_trace([&](const TraceStep& step) { profile.count(step); });
    ASSERT_EQ(simulator.run({.max_steps = c.steps}).steps, c.steps) << c.name;
    const auto by_line = profile_by_line(profile, program.lines);
    std::string found;
    for (const LineProfile& line : by_line)
      found += std::to_string(line.line) + ":" + std::to_string(line.executions) + "x" + std::to_string(line.cycles) + " ";
    std::string expected;
    for (const Row& row : c.rows)
      expected += std::to_string(row.line) + ":" + std::to_string(row.executions) + "x" + std::to_string(row.cycles) + " ";
    EXPECT_EQ(found, expected) << c.name;
    EXPECT_EQ(profile.interrupt_entries().executions, c.interrupts) << c.name;
    // Every cycle is counted once: the profile's sum is the simulator's.
    EXPECT_EQ(profile.total_cycles(), simulator.state().cycles) << c.name;
    EXPECT_EQ(profile.total_steps(), c.steps) << c.name;
  }
}

class ProfileCli : public SimCliTest {};

TEST_F(ProfileCli, WritesLinesExecutionsCyclesAndShare) {
  write("djnz.asm", "        mov r7,#5\nloop:   djnz r7,loop\ndone:   jmp done\n");
  const Outcome run = sim("djnz.asm --steps 8 --profile djnz.txt");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(read("djnz.txt"),
            "Zeile              Ausführungen           Zyklen    Anteil\n"
            "1                             1                2    12.50%\n"
            "2                             5               10    62.50%\n"
            "3                             2                4    25.00%\n"
            "Summe                         8               16   100.00%\n");
  // An image has no lines: per address, with the interrupt entries.
  write("timer.bin", std::string("\x04\x09\x00\x00\x00\x00\x00\x93\x00\x25\x23\xFF\x62\x55\x04\x0E", 16));
  ASSERT_EQ(sim("timer.bin --steps 23 --profile timer.txt").status, 0);
  EXPECT_EQ(read("timer.txt"),
            "Adresse            Ausführungen           Zyklen    Anteil\n"
            "000H                          1                2     4.65%\n"
            "007H                          1                2     4.65%\n"
            "009H                          1                1     2.33%\n"
            "00AH                          1                2     4.65%\n"
            "00CH                          1                1     2.33%\n"
            "00DH                          1                1     2.33%\n"
            "00EH                         16               32    74.42%\n"
            "Unterbrechungen               1                2     4.65%\n"
            "Summe                        23               43   100.00%\n");
}

}  // namespace
}  // namespace zorvin::sim::test
