// The outside world: pin levels, inputs driven now or scheduled, and the
// UPI host interface.
#include "sim/simulator.h"

#include <algorithm>

#include "sim/simulator_internal.h"

namespace zorvin::sim {

using namespace detail;

// --- pins ------------------------------------------------------------------

std::uint8_t Simulator::pin_level(Port port) const {
  const State& s = state_;
  const std::uint8_t outside = drive_[static_cast<std::size_t>(index_of(port))];
  switch (port) {
    case Port::Bus:
      return s.bus_output ? s.bus : outside;
    case Port::P1:
      return s.p1 & outside;
    case Port::P2: {
      std::uint8_t level = s.p2 & outside;
      if (upi_ && s.flags_enabled) {
        if (!s.obf) level &= static_cast<std::uint8_t>(~0x10);
        if (s.ibf) level &= static_cast<std::uint8_t>(~0x20);
      }
      return level;
    }
    case Port::P4:
    case Port::P5:
    case Port::P6:
    case Port::P7:
      return s.expander[static_cast<std::size_t>(index_of(port) - index_of(Port::P4))] & outside;
    default:
      return outside;
  }
}

void Simulator::notice_pins(std::uint64_t cycle) {
  for (int p = 0; p < kPortCount; ++p) {
    const auto port = static_cast<Port>(p);
    const std::uint8_t level = pin_level(port);
    std::uint8_t& last = last_level_[static_cast<std::size_t>(p)];
    if (level == last) continue;
    last = level;
    ++pin_events_;
    if (pin_listener_) pin_listener_(PinEvent{cycle, port, level});
  }
}

void Simulator::set_pin_listener(std::function<void(const PinEvent&)> listener) {
  pin_listener_ = std::move(listener);
}

void Simulator::apply_drive(Port port, std::uint8_t value, std::uint8_t mask, std::uint64_t cycle) {
  std::uint8_t& outside = drive_[static_cast<std::size_t>(index_of(port))];
  const std::uint8_t before = outside;
  outside = static_cast<std::uint8_t>(((outside & ~mask) | (value & mask)) & port_mask(port));
  // The event counter counts falling edges on T1.
  if (port == Port::T1 && before == 1 && outside == 0 && state_.timer_mode == TimerMode::Counter) timer_step();
  if (outside != before) next_event_ = 0;  // INT may now ask for an interrupt
  notice_pins(cycle);
}

void Simulator::drive(Port port, std::uint8_t value) { drive_bits(port, value, 0xFF); }

void Simulator::drive_bit(Port port, int bit, bool level) {
  const auto mask = static_cast<std::uint8_t>(1u << (bit & 7));
  drive_bits(port, level ? mask : 0, mask);
}

void Simulator::drive_bits(Port port, std::uint8_t value, std::uint8_t mask) {
  if (input_log_) input_log_->push_back({pin_events_, 0, Input::Kind::Drive, port, value, mask});
  apply_drive(port, value, mask, state_.cycles);
}

void Simulator::schedule(std::uint64_t cycle, Port port, std::uint8_t value) { schedule_change(cycle, port, value, 0xFF); }

void Simulator::schedule_bit(std::uint64_t cycle, Port port, int bit, bool level) {
  const auto mask = static_cast<std::uint8_t>(1u << (bit & 7));
  schedule_change(cycle, port, level ? mask : 0, mask);
}

void Simulator::schedule_change(std::uint64_t cycle, Port port, std::uint8_t value, std::uint8_t mask) {
  if (input_log_) input_log_->push_back({pin_events_, cycle, Input::Kind::Schedule, port, value, mask});
  const Scheduled change{cycle, schedule_order_++, port, value, mask};
  const auto later = [](const Scheduled& a, const Scheduled& b) {
    return a.cycle < b.cycle || (a.cycle == b.cycle && a.order < b.order);
  };
  // Mostly appended: stimulus files and peripherals schedule in time order.
  const auto from = schedule_.begin() + static_cast<std::ptrdiff_t>(schedule_next_);
  schedule_.insert(std::upper_bound(from, schedule_.end(), change, later), change);
  next_event_ = std::min(next_event_, cycle);
}

void Simulator::clear_schedule() {
  if (input_log_) input_log_->push_back({pin_events_, 0, Input::Kind::ClearSchedule, Port::P1, 0, 0});
  drop_schedule();
}

void Simulator::drop_schedule() {
  schedule_.clear();
  schedule_next_ = 0;
}

// --- UPI host interface ------------------------------------------------------

void Simulator::host_write(std::uint8_t value, bool command) {
  if (input_log_)
    input_log_->push_back({pin_events_, 0, Input::Kind::HostWrite, Port::P1, value, static_cast<std::uint8_t>(command)});
  state_.dbb_in = value;
  state_.ibf = true;
  state_.f1 = command;
  next_event_ = 0;
  notice_pins(state_.cycles);
}

std::uint8_t Simulator::host_read() {
  if (input_log_) input_log_->push_back({pin_events_, 0, Input::Kind::HostRead, Port::P1, 0, 0});
  state_.obf = false;
  notice_pins(state_.cycles);
  return state_.dbb_out;
}

std::uint8_t Simulator::host_status() const {
  const State& s = state_;
  return static_cast<std::uint8_t>((s.status_high & 0xF0) | (s.f1 ? 0x08 : 0) | (s.f0 ? 0x04 : 0) |
                                   (s.ibf ? 0x02 : 0) | (s.obf ? 0x01 : 0));
}

}  // namespace zorvin::sim
