#include "app/debugger/debugger_session.h"

#include <algorithm>

namespace zorvin::app {

void DebuggerSession::load(DebuggerLineMap lines, sim::Variant variant, std::uint64_t clock_hz) {
  lines_ = std::move(lines);
  sim_ = sim::Simulator(variant);
  sim_.load_program(lines_.image());
  sim_.set_clock_hz(clock_hz);
  sim_.power_on();
  history_.clear();
  loaded_ = true;
  running_ = false;
  stopwatch_base_ = sim_.state().cycles;
  stop_message_.clear();
  stack_wrapped_ = false;
}

void DebuggerSession::set_breakpoints(const std::vector<int>& addresses) {
  sim_.clear_breakpoints();
  for (int address : addresses) sim_.set_breakpoint(static_cast<std::uint16_t>(address), true);
}

DebugStop DebuggerSession::step() {
  running_ = false;
  const std::uint8_t depth = sim_.state().sp;
  const sim::RunResult result = history_.step(sim_);
  if (depth == 7 && sim_.state().sp == 0) stack_wrapped_ = true;
  if (result.reason == sim::StopReason::UndefinedOpcode) return ended(result);
  return DebugStop::Step;
}

bool DebuggerSession::step_back() {
  running_ = false;
  return history_.back(sim_);
}

sim::BackStop DebuggerSession::back_to_breakpoint() {
  running_ = false;
  return history_.back_to_breakpoint(sim_);
}

sim::BackStop DebuggerSession::back_to_change(const std::function<std::uint64_t(const sim::Simulator&)>& value) {
  running_ = false;
  return history_.back_to_change(sim_, value);
}

bool DebuggerSession::start_step_over() {
  const std::uint16_t pc = sim_.state().pc;
  if (!is_call(sim_.program()[pc % sim_.program().size()])) {
    step();
    return false;
  }
  // The return address: the next instruction in the same 2 KiB bank.
  start_run((pc & 0x800) | ((pc + 2) & 0x7FF));
  target_sp_ = sim_.state().sp;
  return true;
}

void DebuggerSession::start_run(std::optional<int> address) {
  running_ = true;
  target_ = address.value_or(-1);
  target_sp_ = -1;
  stop_message_.clear();
}

DebugStop DebuggerSession::run_slice(std::uint64_t cycles) {
  if (!running_) return DebugStop::User;
  sim::RunLimits limits;
  limits.until_cycle = sim_.state().cycles + cycles;
  limits.stop_at = target_;
  const sim::RunResult result = history_.run(sim_, limits);
  if (result.reason == sim::StopReason::Address && target_sp_ >= 0 && sim_.state().sp != target_sp_)
    return DebugStop::Running;  // a deeper call of the same routine got there; on to the real return
  if (result.reason == sim::StopReason::CycleLimit || result.reason == sim::StopReason::StepLimit)
    return DebugStop::Running;
  return ended(result);
}

void DebuggerSession::stop() { running_ = false; }

void DebuggerSession::set_cycles(std::uint64_t cycles) {
  const std::uint64_t stopwatch = std::min(stopwatch_cycles(), cycles);
  sim_.state().cycles = cycles;
  stopwatch_base_ = cycles - stopwatch;
}

DebugStop DebuggerSession::ended(const sim::RunResult& result) {
  running_ = false;
  switch (result.reason) {
    case sim::StopReason::UndefinedOpcode:
      stop_message_ = sim::stop_message(result);
      return DebugStop::Undefined;
    case sim::StopReason::Breakpoint:
      return DebugStop::Breakpoint;
    case sim::StopReason::Address:
      return DebugStop::Target;
    default:
      return DebugStop::Step;
  }
}

}  // namespace zorvin::app
