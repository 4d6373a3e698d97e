// One debugging session: the simulator with the program of the last
// successful assembly, its breakpoints, and a run that goes on in slices so
// that the window stays responsive. No toolkit here; the debugger window
// drives it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/debugger/debugger_line_map.h"
#include "sim/history.h"
#include "sim/simulator.h"

namespace zorvin::app {

// Why a run or step ended.
enum class DebugStop {
  Running,     // still running (a slice ended)
  Step,        // a single step ended
  Breakpoint,  // the PC reached a breakpoint
  Target,      // the return of a stepped-over call, or the line run to
  Undefined,   // an undefined opcode; nothing ran
  User,        // the user stopped it
};

class DebuggerSession {
 public:
  // A new program: power-on state, no run, stopwatch at zero.
  void load(DebuggerLineMap lines, sim::Variant variant, std::uint64_t clock_hz);
  bool loaded() const { return loaded_; }
  // The same program assembled again (the lines may have moved): the state stays.
  void renew_lines(DebuggerLineMap lines) { lines_ = std::move(lines); }

  sim::Simulator& simulator() { return sim_; }
  const sim::Simulator& simulator() const { return sim_; }
  const DebuggerLineMap& lines() const { return lines_; }

  void set_breakpoints(const std::vector<int>& addresses);

  // One instruction (or interrupt entry); after a step back the recorded
  // one again. Steps and runs are recorded for going back.
  DebugStop step();
  // The state before the last step (anything changed from outside since
  // is undone with it); false when no earlier step is kept.
  bool step_back();
  // Back to the latest earlier step on a breakpoint, or to the oldest kept.
  sim::BackStop back_to_breakpoint();
  // Back to just before the latest step that changed the value.
  sim::BackStop back_to_change(const std::function<std::uint64_t(const sim::Simulator&)>& value);
  const sim::History& history() const { return history_; }
  // A call runs until it returns to the next instruction (a run is started
  // and true returned); anything else is one step (false).
  bool start_step_over();
  // Starts a run: free (until a breakpoint or stop) or until `address`.
  void start_run(std::optional<int> address = std::nullopt);
  bool running() const { return running_; }
  // Runs on for at most `cycles` machine cycles.
  DebugStop run_slice(std::uint64_t cycles);
  void stop();

  // A step pushed a ninth return address: SP went round from 7 to 0 and
  // the oldest one is overwritten (until the next load or reset).
  bool stack_wrapped() const { return stack_wrapped_; }
  void forget_stack_wrap() { stack_wrapped_ = false; }

  // The message of the last stop on an undefined opcode.
  const std::string& stop_message() const { return stop_message_; }

  std::uint64_t stopwatch_cycles() const { return sim_.state().cycles - stopwatch_base_; }
  void zero_stopwatch() { stopwatch_base_ = sim_.state().cycles; }
  // The cycle count set by the user; the stopwatch keeps its figure where
  // it can.
  void set_cycles(std::uint64_t cycles);

 private:
  DebugStop ended(const sim::RunResult& result);

  sim::Simulator sim_;
  sim::History history_;
  DebuggerLineMap lines_;
  bool loaded_ = false;
  bool running_ = false;
  int target_ = -1;       // address a run stops at, or -1
  int target_sp_ = -1;    // the stack depth it must have there (a call's return), or -1
  std::uint64_t stopwatch_base_ = 0;
  std::string stop_message_;
  bool stack_wrapped_ = false;
};

// Whether the opcode is a call (one of the eight `call` opcodes).
inline bool is_call(std::uint8_t opcode) { return (opcode & 0x1F) == 0x14; }

}  // namespace zorvin::app
