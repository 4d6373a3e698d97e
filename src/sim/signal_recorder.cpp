#include "sim/signal_recorder.h"

#include <algorithm>

#include "sim/vcd_writer.h"

namespace zorvin::sim {

SignalRecorder::SignalRecorder(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {}

void SignalRecorder::start(const Simulator& simulator) {
  ring_.clear();
  first_ = count_ = 0;
  dropped_ = false;
  start_cycle_ = simulator.state().cycles;
  start_serial_ = simulator.pin_events();
  for (int p = 0; p < kPortCount; ++p)
    start_levels_[static_cast<std::size_t>(p)] = simulator.pin_level(static_cast<Port>(p));
}

void SignalRecorder::push(const RecordedChange& change) {
  if (ring_.size() < capacity_) {
    ring_.push_back(change);  // the ring fills up before it goes round
    ++count_;
    return;
  }
  if (count_ < capacity_) {
    ring_[(first_ + count_) % capacity_] = change;
    ++count_;
    return;
  }
  // Full: the oldest change goes into the levels at the start.
  const RecordedChange& oldest = ring_[first_];
  start_levels_[static_cast<std::size_t>(oldest.port)] = oldest.level;
  start_cycle_ = oldest.cycle;
  start_serial_ = oldest.serial;
  ring_[first_] = change;
  first_ = (first_ + 1) % capacity_;
  dropped_ = true;
}

void SignalRecorder::pin_changed(const Simulator& simulator, const PinEvent& event) {
  const std::uint64_t serial = simulator.pin_events();
  if (serial <= start_serial_) {
    // Back before the record's start: the levels there are not known.
    start(simulator);
    return;
  }
  // Back in time, and on again: what was recorded from there on is past.
  while (count_ > 0 && (*this)[count_ - 1].serial >= serial) {
    --count_;
    if (ring_.size() < capacity_) ring_.pop_back();
  }
  // The cycle count set back by hand: a record in time order starts anew.
  if (event.cycle < last_cycle()) {
    start(simulator);
    return;
  }
  push({event.cycle, serial, event.port, event.level});
}

std::size_t SignalRecorder::first_at_or_after(std::uint64_t cycle) const {
  std::size_t low = 0, high = count_;
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    if ((*this)[middle].cycle < cycle) low = middle + 1;
    else high = middle;
  }
  return low;
}

std::array<std::uint8_t, kPortCount> SignalRecorder::levels_at(std::uint64_t cycle) const {
  // The latest change of each port at or before the cycle; one pass back.
  std::array<std::uint8_t, kPortCount> levels = start_levels_;
  std::array<bool, kPortCount> found{};
  int missing = kPortCount;
  const std::size_t after = cycle == UINT64_MAX ? count_ : first_at_or_after(cycle + 1);
  for (std::size_t i = after; i > 0 && missing > 0; --i) {
    const RecordedChange& change = (*this)[i - 1];
    const auto port = static_cast<std::size_t>(change.port);
    if (found[port]) continue;
    found[port] = true;
    levels[port] = change.level;
    --missing;
  }
  return levels;
}

void write_vcd(std::FILE* file, const SignalRecorder& record, std::string_view part, std::uint64_t clock_hz) {
  VcdWriter writer(file, part, clock_hz, record.start_cycle(), record.start_levels());
  for (std::size_t i = 0; i < record.size(); ++i) {
    const RecordedChange& change = record[i];
    writer.pin_changed({change.cycle, change.port, change.level});
  }
}

}  // namespace zorvin::sim
