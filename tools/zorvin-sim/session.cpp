#include "session.h"

#include <algorithm>
#include <cstdio>

namespace zorvin::sim_tool {

namespace {

// Slices short enough for the terminal to react within a character, and
// for the progress of a long run; long enough to cost nothing.
constexpr std::uint64_t kSliceCycles = 10'000'000;
constexpr std::uint64_t kProgressEvery = 1'000'000'000;

// How far a long run is, on standard error: about every ten seconds.
void show_progress(const sim::State& state, const Options& options) {
  double done = 0;
  if (options.steps) done = std::max(done, static_cast<double>(state.steps) / static_cast<double>(*options.steps));
  if (options.cycles) done = std::max(done, static_cast<double>(state.cycles) / static_cast<double>(*options.cycles));
  std::fprintf(stderr, "zorvin-sim: %llu Zyklen, %llu Schritte gerechnet (%.0f %%)\n",
               static_cast<unsigned long long>(state.cycles), static_cast<unsigned long long>(state.steps),
               100 * std::min(done, 1.0));
}

}  // namespace

RunOutcome run_program(sim::Simulator& simulator, sim::SerialTerminal* terminal, const Options& options,
                       std::optional<std::uint16_t> until, board::BoardScript* script) {
  sim::RunLimits limits;
  if (options.steps) limits.max_steps = *options.steps;
  limits.until_cycle = options.cycles ? *options.cycles : options.limited() ? UINT64_MAX : kDefaultCycles;
  if (until) limits.stop_at = *until;
  // Without any end given, a session with a terminal ends once the line
  // has been quiet for a second (simulated time) after the last text.
  const bool quiet_ends_it = terminal != nullptr && !options.limited() && !until;

  std::uint64_t quiet = 0;
  std::uint64_t end_quiet = 0;
  std::uint64_t slice = kSliceCycles;
  if (terminal) {
    quiet = static_cast<std::uint64_t>(100 * terminal->bit_cycles());
    end_quiet = simulator.clock_hz() / sim::kClocksPerCycle;
    slice = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(10 * terminal->bit_cycles()));
  }
  const sim::State& state = simulator.state();
  std::uint64_t steps_left = limits.max_steps;
  std::uint64_t typed_until = 0;
  std::uint64_t next_progress = kProgressEvery;
  RunOutcome outcome;
  for (;;) {
    const std::uint64_t now = state.cycles;
    if (terminal) {
      sim::SerialDecoder& decoder = terminal->decoder();
      decoder.advance_to(now);  // a character ends with the stop bit's sample, not with an edge
      const bool line_quiet = !decoder.receiving() && now >= decoder.last_activity() + quiet;
      if (outcome.begun < options.sends.size() && now >= typed_until && line_quiet)
        typed_until = terminal->type(options.sends[outcome.begun++], now);
      const bool all_typed = outcome.begun == options.sends.size() && now >= typed_until;
      if (quiet_ends_it && all_typed && now >= std::max(decoder.last_activity(), typed_until) + end_quiet) {
        outcome.quiet = true;
        break;
      }
    }
    if (now >= next_progress) {
      show_progress(state, options);
      next_progress = now - now % kProgressEvery + kProgressEvery;
    }
    sim::RunLimits part = limits;
    part.max_steps = steps_left;
    part.until_cycle = std::min(limits.until_cycle, now + slice);
    // The board's next key or host event ends the slice.
    if (script) part.until_cycle = std::min(part.until_cycle, std::max(script->advance_to(now), now + 1));
    const sim::RunResult piece = simulator.run(part);
    steps_left -= piece.steps;
    outcome.result.reason = piece.reason;
    outcome.result.pc = piece.pc;
    outcome.result.opcode = piece.opcode;
    outcome.result.steps += piece.steps;
    if (piece.reason != sim::StopReason::CycleLimit) break;
    if (state.cycles >= limits.until_cycle) {
      outcome.default_bound = !options.limited();
      break;
    }
    // A run does not stop at the address it starts from: a slice that ends
    // where --until points has reached it.
    if (until && state.pc == *until) {
      outcome.result.reason = sim::StopReason::Address;
      break;
    }
  }
  if (terminal) terminal->decoder().advance_to(state.cycles);
  if (outcome.begun > 0) outcome.typed = state.cycles >= typed_until ? outcome.begun : outcome.begun - 1;
  return outcome;
}

}  // namespace zorvin::sim_tool
