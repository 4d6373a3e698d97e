#include "sim/simulator.h"

#include <cstdio>
#include <utility>

#include "dis/instruction_text.h"
#include "sim/simulator_internal.h"

namespace zorvin::sim {

using namespace detail;

std::string stop_message(const RunResult& result) {
  if (result.reason != StopReason::UndefinedOpcode) return {};
  char text[80];
  std::snprintf(text, sizeof text, "Undefinierter Befehlscode %02XH bei Adresse %04XH", result.opcode, result.pc);
  return text;
}

Simulator::Simulator(Variant variant) : variant_(variant) {
  const VariantInfo& part = info(variant);
  upi_ = part.upi;
  cycles_ = dis::cycle_table(dis::instruction_set(upi_)).data();
  ram_mask_ = part.ram_size - 1;
  program_mask_ = static_cast<std::uint16_t>(part.program_size - 1);
  for (int p = 0; p < kPortCount; ++p) drive_[static_cast<std::size_t>(p)] = port_mask(static_cast<Port>(p));
  power_on();
}

std::size_t Simulator::load_program(std::span<const std::uint8_t> bytes, std::uint16_t address) {
  std::size_t stored = 0;
  const auto size = static_cast<std::size_t>(part().program_size);
  for (std::size_t i = 0; i < bytes.size() && address + i < size; ++i, ++stored) rom_[address + i] = bytes[i];
  return stored;
}

void Simulator::reset() {
  State& s = state_;
  s.pc = 0;
  s.sp = 0;
  s.bank1 = false;
  s.memory_bank1 = false;
  s.interrupt_enabled = false;
  s.timer_interrupt_enabled = false;
  s.in_interrupt = false;
  s.timer_flag = false;
  s.timer_interrupt_pending = false;
  s.timer_mode = TimerMode::Stopped;
  s.prescaler = 0;
  s.f0 = false;
  s.f1 = false;
  s.clock_output = false;
  s.p1 = 0xFF;
  s.p2 = 0xFF;
  s.bus_output = false;
  s.ibf = false;
  s.obf = false;
  s.status_high = 0;
  s.flags_enabled = false;
  s.dma_enabled = false;
  next_event_ = 0;
  notice_pins(s.cycles);
}

void Simulator::power_on() {
  state_ = State{};
  for (int p = 0; p < kPortCount; ++p) last_level_[static_cast<std::size_t>(p)] = pin_level(static_cast<Port>(p));
  reset();
}

std::uint8_t Simulator::psw() const {
  const State& s = state_;
  return static_cast<std::uint8_t>((s.carry ? 0x80 : 0) | (s.aux_carry ? 0x40 : 0) | (s.f0 ? 0x20 : 0) |
                                   (s.bank1 ? 0x10 : 0) | 0x08 | (s.sp & 7));
}

void Simulator::set_psw(std::uint8_t value) {
  State& s = state_;
  s.carry = (value & 0x80) != 0;
  s.aux_carry = (value & 0x40) != 0;
  s.f0 = (value & 0x20) != 0;
  s.bank1 = (value & 0x10) != 0;
  s.sp = value & 7;
}

std::uint8_t Simulator::reg(int n) const {
  return state_.ram[static_cast<std::size_t>(((state_.bank1 ? 24 : 0) + (n & 7)) & ram_mask_)];
}

void Simulator::set_reg(int n, std::uint8_t value) { r(n & 7) = value; }

std::uint8_t Simulator::ram(int address) const { return state_.ram[static_cast<std::size_t>(address & ram_mask_)]; }

// --- breakpoints and trace ----------------------------------------------------

void Simulator::set_breakpoint(std::uint16_t address, bool on) {
  breakpoints_[address & 0xFFF] = on ? 1 : 0;
  any_breakpoint_ = std::any_of(breakpoints_.begin(), breakpoints_.end(), [](std::uint8_t b) { return b != 0; });
}

void Simulator::clear_breakpoints() {
  breakpoints_.fill(0);
  any_breakpoint_ = false;
}

void Simulator::set_trace(std::function<void(const TraceStep&)> trace) { trace_ = std::move(trace); }

// --- stepping ---------------------------------------------------------------

RunResult Simulator::step_over(std::uint64_t until_cycle) {
  const std::uint16_t pc = state_.pc;
  const std::uint16_t back = static_cast<std::uint16_t>((pc & 0x800) | ((pc + 2) & 0x7FF));
  const std::uint8_t depth = state_.sp;
  const bool call = (rom_[pc & program_mask_] & 0x1F) == 0x14;
  RunResult result = run(RunLimits{.max_steps = 1, .until_cycle = until_cycle});
  // The step may have been an interrupt entry instead: then the call has
  // not run, and its return address is not on the stack.
  const int top = 8 + 2 * ((state_.sp - 1) & 7);
  const auto pushed = static_cast<std::uint16_t>(state_.ram[static_cast<std::size_t>(top)] |
                                                 ((state_.ram[static_cast<std::size_t>(top + 1)] & 0x0F) << 8));
  if (!call || result.reason != StopReason::StepLimit || pushed != back) return result;
  RunResult part;
  do {
    part = run(RunLimits{.until_cycle = until_cycle, .stop_at = back});
    result.steps += part.steps;
  } while (part.reason == StopReason::Address && state_.sp != depth);
  result.reason = part.reason;
  result.pc = part.pc;
  result.opcode = part.opcode;
  return result;
}

}  // namespace zorvin::sim
