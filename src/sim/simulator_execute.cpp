// The run loop with what it calls on every step or event: the timer,
// interrupts, and instruction execution; kept in one file so the loop
// inlines them as before.
#include "sim/simulator.h"

#include <algorithm>
#include <utility>

#include "dis/instruction_text.h"
#include "sim/simulator_internal.h"

namespace zorvin::sim {

using namespace detail;

// --- timer and events ---------------------------------------------------------

void Simulator::timer_step() {
  State& s = state_;
  if (++s.timer == 0) {
    s.timer_flag = true;
    if (s.timer_interrupt_enabled) s.timer_interrupt_pending = true;
    next_event_ = 0;
  }
}

void Simulator::count_timer(std::uint64_t cycles) {
  State& s = state_;
  const std::uint64_t total = s.prescaler + cycles;
  s.prescaler = static_cast<std::uint8_t>(total % kPrescalerCycles);
  const std::uint64_t counts = total / kPrescalerCycles;
  if (counts == 0) return;
  if (counts >= 256u - s.timer) {
    s.timer_flag = true;
    if (s.timer_interrupt_enabled) s.timer_interrupt_pending = true;
  }
  s.timer = static_cast<std::uint8_t>((s.timer + counts) & 0xFF);
}

bool Simulator::interrupt_ready() const {
  const State& s = state_;
  if (s.in_interrupt) return false;
  const bool external = s.interrupt_enabled && (upi_ ? s.ibf : drive_[index_of(Port::Int)] == 0);
  return external || (s.timer_interrupt_enabled && s.timer_interrupt_pending);
}

// The timer counts at boundaries; bring it up to this one before its mode changes.
void Simulator::sync_timer() {
  if (state_.timer_mode == TimerMode::Timer && state_.cycles > timer_synced_) {
    count_timer(state_.cycles - timer_synced_);
    timer_synced_ = state_.cycles;
  }
}

void Simulator::boundary_events() {
  State& s = state_;
  // Inputs that are due, in their order.
  while (schedule_next_ < schedule_.size() && schedule_[schedule_next_].cycle <= s.cycles) {
    // Reported at the boundary where the program first sees it.
    const Scheduled change = schedule_[schedule_next_++];
    apply_drive(change.port, change.value, change.mask, s.cycles);
  }
  if (schedule_next_ == schedule_.size()) drop_schedule();
  // The timer counts in steps of 32 cycles; catch up with the cycles run.
  sync_timer();
  recompute_next_event();
}

void Simulator::recompute_next_event() {
  const State& s = state_;
  std::uint64_t next = limit_cycle_;
  if (schedule_next_ < schedule_.size()) next = std::min(next, schedule_[schedule_next_].cycle);
  if (s.timer_mode == TimerMode::Timer)
    next = std::min(next, timer_synced_ + static_cast<std::uint64_t>(kPrescalerCycles - s.prescaler));
  if (interrupt_ready()) next = s.cycles;
  next_event_ = next;
}

// --- instructions ---------------------------------------------------------------

std::uint8_t Simulator::fetch() {
  State& s = state_;
  const std::uint8_t byte = rom_[s.pc & program_mask_];
  s.pc = static_cast<std::uint16_t>((s.pc & 0x800) | ((s.pc + 1) & 0x7FF));
  return byte;
}

void Simulator::push_return() {
  State& s = state_;
  const int at = 8 + 2 * s.sp;
  s.ram[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(s.pc & 0xFF);
  s.ram[static_cast<std::size_t>(at + 1)] = static_cast<std::uint8_t>((psw() & 0xF0) | ((s.pc >> 8) & 0x0F));
  s.sp = (s.sp + 1) & 7;
}

void Simulator::pop_return(bool restore_psw) {
  State& s = state_;
  s.sp = (s.sp - 1) & 7;
  const int at = 8 + 2 * s.sp;
  const std::uint8_t high = s.ram[static_cast<std::size_t>(at + 1)];
  s.pc = static_cast<std::uint16_t>(s.ram[static_cast<std::size_t>(at)] | ((high & 0x0F) << 8));
  if (restore_psw) {
    s.carry = (high & 0x80) != 0;
    s.aux_carry = (high & 0x40) != 0;
    s.f0 = (high & 0x20) != 0;
    s.bank1 = (high & 0x10) != 0;
  }
}

// jmp and call: A10-A0 from the instruction; A11 from the memory bank flag,
// held at 0 while an interrupt routine runs (and always on UPI parts).
std::uint16_t Simulator::jump_bank() const {
  return state_.memory_bank1 && !state_.in_interrupt && !upi_ ? 0x800 : 0;
}

std::uint16_t Simulator::long_target(std::uint8_t opcode, std::uint8_t low) const {
  return static_cast<std::uint16_t>(jump_bank() | ((opcode & 0xE0) << 3) | low);
}

void Simulator::take_interrupt(TraceStep* trace) {
  State& s = state_;
  const bool external = s.interrupt_enabled && (upi_ ? s.ibf : drive_[index_of(Port::Int)] == 0);
  const std::uint16_t vector = external ? kExternalInterruptVector : kTimerInterruptVector;
  if (trace) *trace = TraceStep{s.cycles, s.pc, {0, 0}, 0, vector};
  if (!external) s.timer_interrupt_pending = false;
  push_return();
  s.in_interrupt = true;
  s.pc = vector;
  s.cycles += 2;  // the inserted call takes two cycles
  s.steps += 1;
}

// movd, anld and orld talk to the 8243 through P20-P23: the port's latch
// ends holding the data nibble the 8048 put out (for anld and orld the
// 8243 does the logic), as after an outl of it.
void Simulator::expander_data_out() {
  State& s = state_;
  s.p2 = static_cast<std::uint8_t>((s.p2 & 0xF0) | (s.a & 0x0F));
}

void Simulator::add(std::uint8_t value, bool with_carry) {
  State& s = state_;
  const unsigned carry_in = with_carry && s.carry ? 1u : 0u;
  const unsigned sum = s.a + value + carry_in;
  s.aux_carry = ((s.a & 0x0F) + (value & 0x0F) + carry_in) > 0x0F;
  s.carry = sum > 0xFF;
  s.a = static_cast<std::uint8_t>(sum);
}

// Conditional jumps stay in the page of their second byte.
void Simulator::jump_in_page(bool condition) {
  State& s = state_;
  const std::uint16_t operand_at = s.pc;
  const std::uint8_t low = fetch();
  if (condition) s.pc = static_cast<std::uint16_t>((operand_at & 0xF00) | low);
}

bool Simulator::execute(std::uint8_t op) {
  State& s = state_;
  const std::uint64_t end = s.cycles + cycles_[op];
  switch (op) {
    case 0x00: break;  // nop

    // add, addc
    case 0x68: case 0x69: case 0x6A: case 0x6B: case 0x6C: case 0x6D: case 0x6E: case 0x6F:
      add(r(op & 7), false); break;
    case 0x60: case 0x61: add(at(r(op & 1)), false); break;
    case 0x03: add(fetch(), false); break;
    case 0x78: case 0x79: case 0x7A: case 0x7B: case 0x7C: case 0x7D: case 0x7E: case 0x7F:
      add(r(op & 7), true); break;
    case 0x70: case 0x71: add(at(r(op & 1)), true); break;
    case 0x13: add(fetch(), true); break;

    // anl, orl, xrl
    case 0x58: case 0x59: case 0x5A: case 0x5B: case 0x5C: case 0x5D: case 0x5E: case 0x5F:
      s.a &= r(op & 7); break;
    case 0x50: case 0x51: s.a &= at(r(op & 1)); break;
    case 0x53: s.a &= fetch(); break;
    case 0x48: case 0x49: case 0x4A: case 0x4B: case 0x4C: case 0x4D: case 0x4E: case 0x4F:
      s.a |= r(op & 7); break;
    case 0x40: case 0x41: s.a |= at(r(op & 1)); break;
    case 0x43: s.a |= fetch(); break;
    case 0xD8: case 0xD9: case 0xDA: case 0xDB: case 0xDC: case 0xDD: case 0xDE: case 0xDF:
      s.a ^= r(op & 7); break;
    case 0xD0: case 0xD1: s.a ^= at(r(op & 1)); break;
    case 0xD3: s.a ^= fetch(); break;

    // accumulator
    case 0x27: s.a = 0; break;                                    // clr a
    case 0x37: s.a = static_cast<std::uint8_t>(~s.a); break;     // cpl a
    case 0x17: ++s.a; break;                                      // inc a
    case 0x07: --s.a; break;                                      // dec a
    case 0x47: s.a = static_cast<std::uint8_t>((s.a << 4) | (s.a >> 4)); break;  // swap a
    case 0xE7: s.a = static_cast<std::uint8_t>((s.a << 1) | (s.a >> 7)); break;  // rl a
    case 0x77: s.a = static_cast<std::uint8_t>((s.a >> 1) | (s.a << 7)); break;  // rr a
    case 0xF7: {                                                                  // rlc a
      const bool out = (s.a & 0x80) != 0;
      s.a = static_cast<std::uint8_t>((s.a << 1) | (s.carry ? 1 : 0));
      s.carry = out;
      break;
    }
    case 0x67: {  // rrc a
      const bool out = (s.a & 0x01) != 0;
      s.a = static_cast<std::uint8_t>((s.a >> 1) | (s.carry ? 0x80 : 0));
      s.carry = out;
      break;
    }
    case 0x57: {  // da a: only the carry changes among the flags
      unsigned value = s.a;
      if ((value & 0x0F) > 9 || s.aux_carry) {
        value += 6;
        if (value > 0xFF) s.carry = true;
        value &= 0xFF;
      }
      if ((value >> 4) > 9 || s.carry) {
        value += 0x60;
        if (value > 0xFF) s.carry = true;
      }
      s.a = static_cast<std::uint8_t>(value);
      break;
    }

    // registers and RAM
    case 0x18: case 0x19: case 0x1A: case 0x1B: case 0x1C: case 0x1D: case 0x1E: case 0x1F:
      ++r(op & 7); break;
    case 0x10: case 0x11: ++at(r(op & 1)); break;
    case 0xC8: case 0xC9: case 0xCA: case 0xCB: case 0xCC: case 0xCD: case 0xCE: case 0xCF:
      --r(op & 7); break;
    case 0xF8: case 0xF9: case 0xFA: case 0xFB: case 0xFC: case 0xFD: case 0xFE: case 0xFF:
      s.a = r(op & 7); break;
    case 0xF0: case 0xF1: s.a = at(r(op & 1)); break;
    case 0x23: s.a = fetch(); break;
    case 0xA8: case 0xA9: case 0xAA: case 0xAB: case 0xAC: case 0xAD: case 0xAE: case 0xAF:
      r(op & 7) = s.a; break;
    case 0xA0: case 0xA1: at(r(op & 1)) = s.a; break;
    case 0xB8: case 0xB9: case 0xBA: case 0xBB: case 0xBC: case 0xBD: case 0xBE: case 0xBF:
      r(op & 7) = fetch(); break;
    case 0xB0: case 0xB1: {
      const std::uint8_t value = fetch();
      at(r(op & 1)) = value;
      break;
    }
    case 0x28: case 0x29: case 0x2A: case 0x2B: case 0x2C: case 0x2D: case 0x2E: case 0x2F:
      std::swap(s.a, r(op & 7)); break;
    case 0x20: case 0x21: std::swap(s.a, at(r(op & 1))); break;
    case 0x30: case 0x31: {  // xchd a,@r: low nibbles
      std::uint8_t& cell = at(r(op & 1));
      const std::uint8_t low = cell & 0x0F;
      cell = static_cast<std::uint8_t>((cell & 0xF0) | (s.a & 0x0F));
      s.a = static_cast<std::uint8_t>((s.a & 0xF0) | low);
      break;
    }
    case 0xC7: s.a = psw(); break;       // mov a,psw
    case 0xD7: set_psw(s.a); break;      // mov psw,a

    // flags and banks
    case 0x97: s.carry = false; break;
    case 0xA7: s.carry = !s.carry; break;
    case 0x85: s.f0 = false; break;
    case 0x95: s.f0 = !s.f0; break;
    case 0xA5: s.f1 = false; break;
    case 0xB5: s.f1 = !s.f1; break;
    case 0xC5: s.bank1 = false; break;
    case 0xD5: s.bank1 = true; break;
    case 0xE5:
      if (upi_) s.dma_enabled = true;
      else s.memory_bank1 = false;
      break;
    case 0xF5:
      if (upi_) {
        s.flags_enabled = true;
        notice_pins(end);
      } else {
        s.memory_bank1 = true;
      }
      break;

    // timer, counter and interrupts
    case 0x42: s.a = s.timer; break;
    case 0x62: s.timer = s.a; break;
    case 0x55:  // strt t: the prescaler starts from 0 after this cycle
      s.timer_mode = TimerMode::Timer;
      s.prescaler = 0;
      timer_synced_ = end;
      next_event_ = 0;
      break;
    case 0x45:  // strt cnt
      sync_timer();
      s.timer_mode = TimerMode::Counter;
      next_event_ = 0;
      break;
    case 0x65:  // stop tcnt
      sync_timer();
      s.timer_mode = TimerMode::Stopped;
      break;
    case 0x05: s.interrupt_enabled = true; next_event_ = 0; break;         // en i
    case 0x15: s.interrupt_enabled = false; break;                         // dis i
    case 0x25: s.timer_interrupt_enabled = true; next_event_ = 0; break;   // en tcnti
    case 0x35:                                                             // dis tcnti
      s.timer_interrupt_enabled = false;
      s.timer_interrupt_pending = false;
      break;

    // jumps and calls
    case 0x04: case 0x24: case 0x44: case 0x64: case 0x84: case 0xA4: case 0xC4: case 0xE4:
      s.pc = long_target(op, fetch()); break;
    case 0x14: case 0x34: case 0x54: case 0x74: case 0x94: case 0xB4: case 0xD4: case 0xF4: {
      const std::uint8_t low = fetch();
      push_return();
      s.pc = long_target(op, low);
      break;
    }
    case 0x83:  // ret
      pop_return(false);
      // A11 stays low while an interrupt is served, until retr.
      if (s.in_interrupt) s.pc &= 0x7FF;
      break;
    case 0x93:                            // retr
      pop_return(true);
      s.in_interrupt = false;
      next_event_ = 0;
      break;
    case 0xB3:  // jmpp @a: in the page of the next byte
      s.pc = static_cast<std::uint16_t>((s.pc & 0xF00) | rom_[((s.pc & 0xF00) | s.a) & program_mask_]);
      break;
    case 0xE8: case 0xE9: case 0xEA: case 0xEB: case 0xEC: case 0xED: case 0xEE: case 0xEF:
      jump_in_page(--r(op & 7) != 0); break;
    case 0x12: case 0x32: case 0x52: case 0x72: case 0x92: case 0xB2: case 0xD2: case 0xF2:
      jump_in_page((s.a >> (op >> 5)) & 1); break;
    case 0xF6: jump_in_page(s.carry); break;
    case 0xE6: jump_in_page(!s.carry); break;
    case 0xC6: jump_in_page(s.a == 0); break;
    case 0x96: jump_in_page(s.a != 0); break;
    case 0xB6: jump_in_page(s.f0); break;
    case 0x76: jump_in_page(s.f1); break;
    case 0x36: jump_in_page(drive_[index_of(Port::T0)] != 0); break;
    case 0x26: jump_in_page(drive_[index_of(Port::T0)] == 0); break;
    case 0x56: jump_in_page(drive_[index_of(Port::T1)] != 0); break;
    case 0x46: jump_in_page(drive_[index_of(Port::T1)] == 0); break;
    case 0x16: {  // jtf: tests and clears TF
      const bool flag = s.timer_flag;
      s.timer_flag = false;
      jump_in_page(flag);
      break;
    }
    case 0x86:  // jni (INT low), on UPI parts jobf
      jump_in_page(upi_ ? s.obf : drive_[index_of(Port::Int)] == 0);
      break;

    // program memory
    case 0xA3: s.a = rom_[((s.pc & 0xF00) | s.a) & program_mask_]; break;  // movp a,@a
    case 0xE3: s.a = rom_[(0x300 | s.a) & program_mask_]; break;            // movp3 a,@a

    // ports
    case 0x09: s.a = pin_level(Port::P1); break;
    case 0x0A: s.a = pin_level(Port::P2); break;
    case 0x39: s.p1 = s.a; notice_pins(end); break;
    case 0x3A: s.p2 = s.a; notice_pins(end); break;
    case 0x99: s.p1 &= fetch(); notice_pins(end); break;
    case 0x9A: s.p2 &= fetch(); notice_pins(end); break;
    case 0x89: s.p1 |= fetch(); notice_pins(end); break;
    case 0x8A: s.p2 |= fetch(); notice_pins(end); break;
    case 0x0C: case 0x0D: case 0x0E: case 0x0F:  // movd a,p4-p7: P20-P23 become inputs for the 8243's data
      s.a = pin_level(static_cast<Port>(index_of(Port::P4) + (op & 3)));
      s.expander_outputs = static_cast<std::uint8_t>(s.expander_outputs & ~(1u << (op & 3)));
      s.p2 |= 0x0F;
      notice_pins(end);
      break;
    case 0x3C: case 0x3D: case 0x3E: case 0x3F:
      s.expander[op & 3] = s.a & 0x0F;
      s.expander_outputs |= static_cast<std::uint8_t>(1u << (op & 3));
      expander_data_out();
      notice_pins(end);
      break;
    case 0x9C: case 0x9D: case 0x9E: case 0x9F:
      s.expander[op & 3] &= s.a & 0x0F;
      s.expander_outputs |= static_cast<std::uint8_t>(1u << (op & 3));
      expander_data_out();
      notice_pins(end);
      break;
    case 0x8C: case 0x8D: case 0x8E: case 0x8F:
      s.expander[op & 3] |= s.a & 0x0F;
      s.expander_outputs |= static_cast<std::uint8_t>(1u << (op & 3));
      expander_data_out();
      notice_pins(end);
      break;

    // MCS-48 only: BUS, external data memory, clock output;
    // UPI-41/42 only: the data bus buffer and its status
    case 0x08:
      if (upi_) return false;
      s.bus_output = false;
      s.a = drive_[index_of(Port::Bus)];
      notice_pins(end);
      break;
    case 0x02:
      if (upi_) {
        s.dbb_out = s.a;
        s.obf = true;
      } else {
        s.bus = s.a;
        s.bus_output = true;
      }
      notice_pins(end);
      break;
    case 0x98: case 0x88: {
      if (upi_) return false;
      const std::uint8_t value = fetch();
      s.bus = op == 0x98 ? (s.bus & value) : (s.bus | value);
      s.bus_output = true;
      notice_pins(end);
      break;
    }
    case 0x80: case 0x81:
      if (upi_) return false;
      s.a = external_bus_.read ? external_bus_.read(r(op & 1)) : s.xram[r(op & 1)];
      break;
    case 0x90:
      if (upi_) {
        s.status_high = s.a & 0xF0;
        break;
      }
      [[fallthrough]];
    case 0x91:
      if (upi_) return false;
      if (external_bus_.write) external_bus_.write(r(op & 1), s.a);
      else s.xram[r(op & 1)] = s.a;
      break;
    case 0x75:
      if (upi_) return false;
      s.clock_output = true;
      break;
    case 0x22:
      if (!upi_) return false;
      s.a = s.dbb_in;
      s.ibf = false;
      notice_pins(end);
      break;
    case 0xD6:
      if (!upi_) return false;
      jump_in_page(!s.ibf);
      break;

    default:
      return false;
  }
  return true;
}

// --- the run loop -------------------------------------------------------------

template <bool kChecked>
RunResult Simulator::run_loop(const RunLimits& limits) {
  State& s = state_;
  RunResult result;
  bool first = true;
  for (;;) {
    if (s.cycles >= next_event_) {
      boundary_events();
      if (s.cycles >= limits.until_cycle) {
        result.reason = StopReason::CycleLimit;
        break;
      }
      if (interrupt_ready()) {
        if (result.steps >= limits.max_steps) {
          result.reason = StopReason::StepLimit;
          break;
        }
        TraceStep entry;
        take_interrupt(kChecked && trace_ ? &entry : nullptr);
        ++result.steps;
        if constexpr (kChecked)
          if (trace_) trace_(entry);
        first = false;
        next_event_ = 0;
        continue;
      }
    }
    if constexpr (kChecked) {
      if (!first && (breakpoints_[s.pc & 0xFFF] != 0 || s.pc == limits.stop_at)) {
        result.reason = s.pc == limits.stop_at ? StopReason::Address : StopReason::Breakpoint;
        break;
      }
    }
    first = false;
    if (result.steps >= limits.max_steps) {
      result.reason = StopReason::StepLimit;
      break;
    }
    const std::uint16_t pc = s.pc;
    const std::uint64_t begin = s.cycles;
    const std::uint8_t op = fetch();
    if (!execute(op)) {
      s.pc = pc;
      result.reason = StopReason::UndefinedOpcode;
      break;
    }
    s.cycles = begin + cycles_[op];
    ++s.steps;
    ++result.steps;
    if constexpr (kChecked) {
      if (trace_) {
        // The trace shows the timer as it stands after the instruction.
        sync_timer();
        next_event_ = 0;
        const std::uint8_t second = rom_[dis::second_byte_address(pc) & program_mask_];
        const std::uint8_t length = dis::opcode_map(dis::instruction_set(upi_))[op].length;
        trace_(TraceStep{begin, pc, {op, second}, length, 0});
      }
    }
  }
  result.pc = s.pc;
  result.opcode = rom_[s.pc & program_mask_];
  return result;
}

RunResult Simulator::run(const RunLimits& limits) {
  limit_cycle_ = limits.until_cycle;
  // A debugger may have changed the prescaler or the mode between runs.
  timer_synced_ = state_.cycles;
  next_event_ = 0;
  const bool checked = any_breakpoint_ || limits.stop_at >= 0 || static_cast<bool>(trace_);
  RunResult result = checked ? run_loop<true>(limits) : run_loop<false>(limits);
  // Bring the timer up to the boundary the run stopped at.
  sync_timer();
  limit_cycle_ = kNever;
  return result;
}

}  // namespace zorvin::sim

