// The debugger's history: simulator speed with recording on beside the
// same run without it (goal: 30 million instructions per second), the
// time of a step back after ten million instructions (goal: 16 ms), of a
// run back to a breakpoint over the whole history, and its memory.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

#include "sim/history.h"
#include "sim/program_source.h"
#include "sim/simulator.h"

namespace {

using Clock = std::chrono::steady_clock;
using zorvin::sim::History;
using zorvin::sim::Simulator;

// The usual mix: register and RAM arithmetic, a movp table, port output
// (a pin event every few steps), external RAM, calls, djnz loops, and a
// timer interrupt every 256 x 32 cycles.
constexpr const char* kProgram = R"(
        jmp start
        org 7
        inc r6
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
        movx @r0,a
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
)";

constexpr std::uint64_t kSteps = 10'000'000;
constexpr std::uint64_t kSliceCycles = 1'000'000;  // as the window's debugger runs

double cpu_seconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double seconds_since(Clock::time_point begin) { return std::chrono::duration<double>(Clock::now() - begin).count(); }

// Runs kSteps in slices; returns million instructions per second.
template <typename Run>
double speed(Simulator& simulator, Run run) {
  const auto begin = Clock::now();
  while (simulator.state().steps < kSteps) {
    zorvin::sim::RunLimits limits{.max_steps = kSteps - simulator.state().steps,
                                  .until_cycle = simulator.state().cycles + kSliceCycles};
    run(limits);
  }
  return static_cast<double>(simulator.state().steps) / seconds_since(begin) / 1e6;
}

}  // namespace

int main() {
  const zorvin::sim::AssembledProgram program = zorvin::sim::assemble_program(kProgram, {});
  if (!program.result.ok()) {
    for (const auto& line : program.result.error_lines) std::printf("%s\n", line.c_str());
    return 1;
  }
  // Both with a listener on the pins, as the board panel listens.
  std::uint64_t events = 0;
  Simulator plain;
  plain.load_program(program.bytes);
  plain.set_pin_listener([&](const zorvin::sim::PinEvent&) { ++events; });
  const double without = speed(plain, [&](const zorvin::sim::RunLimits& limits) { plain.run(limits); });

  Simulator recorded;
  recorded.load_program(program.bytes);
  recorded.set_pin_listener([&](const zorvin::sim::PinEvent&) { ++events; });
  History history;
  const double with = speed(recorded, [&](const zorvin::sim::RunLimits& limits) { history.run(recorded, limits); });

  std::printf("Simulator ohne Verlauf   %7.1f Mio. Befehle/s\n", without);
  std::printf("Simulator mit Verlauf    %7.1f Mio. Befehle/s   (Ziel: mindestens 30 Mio./s)\n", with);
  std::printf("Verlauf nach %llu Befehlen: %llu Schritte zurück möglich, %.2f MB\n",
              static_cast<unsigned long long>(kSteps), static_cast<unsigned long long>(history.steps_back()),
              static_cast<double>(history.bytes()) / 1e6);

  // Single steps back from the end. On a shared machine the wall clock
  // also counts time given to other processes; the processor time of
  // this thread is what a step back costs.
  double slowest = 0;
  double slowest_cpu = 0;
  double total = 0;
  constexpr int kBackSteps = 2000;
  for (int i = 0; i < kBackSteps; ++i) {
    const auto begin = Clock::now();
    const double cpu_begin = cpu_seconds();
    history.back(recorded);
    slowest_cpu = std::max(slowest_cpu, cpu_seconds() - cpu_begin);
    const double took = seconds_since(begin);
    slowest = std::max(slowest, took);
    total += took;
  }
  std::printf("Schritt zurück           %7.3f ms im Mittel, höchstens %.3f ms Rechenzeit (%.3f ms Uhrzeit)"
              "   (Ziel: höchstens 16 ms)\n",
              total / kBackSteps * 1e3, slowest_cpu * 1e3, slowest * 1e3);

  // Back to a breakpoint that never was: over the whole history to its oldest step.
  recorded.set_breakpoint(0xFFF, true);
  const auto begin = Clock::now();
  const zorvin::sim::BackStop stop = history.back_to_breakpoint(recorded);
  std::printf("Zurück bis Haltepunkt    %7.3f s über %llu Schritte\n", seconds_since(begin),
              static_cast<unsigned long long>(kSteps));
  return stop == zorvin::sim::BackStop::Oldest && events > 0 ? 0 : 1;
}
