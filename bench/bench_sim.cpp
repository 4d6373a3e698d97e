// Simulator speed: instructions per second of a program that keeps the
// interpreter busy with the usual mix (register and RAM arithmetic, a
// movp table, port output, calls, djnz loops) while the timer runs and
// interrupts every 256 x 32 cycles. Printed beside the goal (50 million
// instructions per second) and a real 8048 at 11 MHz. Tracing off, then
// breakpoints on (the checked loop), then a trace that formats nothing.
#include <chrono>
#include <cstdio>
#include <string>

#include "sim/program_source.h"
#include "sim/simulator.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kProgram = R"(
        jmp start
        org 7
        inc r6          ; timer interrupt: count it
        retr
start:  mov a,#0
        mov t,a
        en tcnti
        strt t
        mov r0,#20h
again:  mov r7,#40
inner:  mov a,r7
        anl a,#0Fh
        movp a,@a
        add a,@r0
        mov @r0,a
        xrl a,#55h
        outl p1,a
        call twice
        djnz r7,inner
        inc r0
        mov a,r0
        anl a,#3Fh
        orl a,#20h
        mov r0,a
        jmp again
twice:  rlc a
        rr a
        ret
        org 100h
)";

struct Figures {
  double seconds = 0;
  std::uint64_t steps = 0;
  std::uint64_t cycles = 0;
};

Figures measure(zorvin::sim::Simulator& simulator, std::uint64_t cycles) {
  const auto start_steps = simulator.state().steps;
  const auto start_cycles = simulator.state().cycles;
  const auto begin = Clock::now();
  // In slices, as the window's debugger runs it.
  while (simulator.state().cycles - start_cycles < cycles)
    simulator.run({.until_cycle = simulator.state().cycles + 1'000'000});
  const std::chrono::duration<double> took = Clock::now() - begin;
  return {took.count(), simulator.state().steps - start_steps, simulator.state().cycles - start_cycles};
}

void report(const char* what, const Figures& f) {
  const double mips = static_cast<double>(f.steps) / f.seconds / 1e6;
  // A real 8048 at 11 MHz runs 11e6 / 15 cycles a second.
  const double real_seconds = static_cast<double>(f.cycles) * 15.0 / 11e6;
  std::printf("%-28s %8.1f Mio. Befehle/s   %7.0fx ein 8048 mit 11 MHz   (Ziel: 50 Mio./s)\n", what, mips,
              real_seconds / f.seconds);
}

}  // namespace

int main() {
  zorvin::sim::AssembledProgram program = zorvin::sim::assemble_program(kProgram, {});
  if (!program.result.ok()) {
    for (const auto& line : program.result.error_lines) std::printf("%s\n", line.c_str());
    return 1;
  }
  constexpr std::uint64_t kCycles = 300'000'000;

  zorvin::sim::Simulator plain;
  plain.load_program(program.bytes);
  report("ohne Trace", measure(plain, kCycles));

  zorvin::sim::Simulator with_breakpoint;
  with_breakpoint.load_program(program.bytes);
  with_breakpoint.set_breakpoint(0xFFF, true);  // never reached: only the checks cost
  report("mit Haltepunkt", measure(with_breakpoint, kCycles));

  zorvin::sim::Simulator traced;
  traced.load_program(program.bytes);
  std::uint64_t traced_steps = 0;
  traced.set_trace([&](const zorvin::sim::TraceStep&) { ++traced_steps; });
  report("mit leerem Trace", measure(traced, kCycles / 10));
  return traced_steps == 0 ? 1 : 0;
}
