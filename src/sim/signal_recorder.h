// What a logic analyzer shows: the pin changes a simulator reports, kept in
// a ring of the latest ones so that a long run costs no more than that, with
// the levels every pin had before the oldest change kept.
//
// Cost: 24 bytes per change, allocated as the changes come; at most
// capacity() of them (by default 262144, i.e. 6 MiB). The oldest go first.
//
// Going back in time (a debugger restoring an earlier state and running
// again) reports changes the record already holds: the simulator's count
// of pin events tells, and what the record holds from there on is dropped.
// A cycle count set back by hand starts the record anew, so that its
// changes stay in the order of time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "sim/simulator.h"

namespace zorvin::sim {

inline constexpr std::size_t kDefaultRecordedChanges = 262'144;

struct RecordedChange {
  std::uint64_t cycle = 0;
  std::uint64_t serial = 0;  // the simulator's pin_events() after it
  Port port = Port::P1;
  std::uint8_t level = 0;
};

class SignalRecorder {
 public:
  explicit SignalRecorder(std::size_t capacity = kDefaultRecordedChanges);

  // Forgets everything and starts at the simulator's cycle and pin levels.
  void start(const Simulator& simulator);
  // To be called with every pin change `simulator` reports.
  void pin_changed(const Simulator& simulator, const PinEvent& event);

  // Where the record begins: the cycle, and the levels of all ports then.
  std::uint64_t start_cycle() const { return start_cycle_; }
  const std::array<std::uint8_t, kPortCount>& start_levels() const { return start_levels_; }
  // The changes kept, oldest first.
  std::size_t size() const { return count_; }
  const RecordedChange& operator[](std::size_t index) const {
    return ring_[(first_ + index) % capacity_];
  }
  // The cycle of the newest change kept (start_cycle() when none is).
  std::uint64_t last_cycle() const { return count_ == 0 ? start_cycle_ : (*this)[count_ - 1].cycle; }
  // The levels of all ports at a cycle within the record (before it: those
  // at the start); one pass back over the changes, at most all of them.
  std::array<std::uint8_t, kPortCount> levels_at(std::uint64_t cycle) const;
  // The index of the first change at or after `cycle`.
  std::size_t first_at_or_after(std::uint64_t cycle) const;

  std::size_t capacity() const { return capacity_; }
  // Whether older changes were let go for newer ones.
  bool dropped() const { return dropped_; }

 private:
  void push(const RecordedChange& change);

  std::size_t capacity_;
  std::vector<RecordedChange> ring_;
  std::size_t first_ = 0;
  std::size_t count_ = 0;
  std::uint64_t start_cycle_ = 0;
  std::uint64_t start_serial_ = 0;
  std::array<std::uint8_t, kPortCount> start_levels_{};
  bool dropped_ = false;
};

// The record as zorvin-sim --vcd writes a run: header and levels at the
// record's start, then every change kept.
void write_vcd(std::FILE* file, const SignalRecorder& record, std::string_view part, std::uint64_t clock_hz);

}  // namespace zorvin::sim
