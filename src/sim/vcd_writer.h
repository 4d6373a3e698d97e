// Pin waveforms as a Value Change Dump (IEEE 1364), the format waveform
// viewers such as GTKWave open: P1, P2 and BUS as 8-bit vectors, T0, T1 and
// INT as single wires, time in nanoseconds at the simulator's clock.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "sim/simulator.h"

namespace zorvin::sim {

class VcdWriter {
 public:
  // Writes the header and the levels at the current cycle to `file` (the
  // caller opens and closes it).
  VcdWriter(std::FILE* file, const Simulator& simulator);
  // The same from levels recorded earlier: those of all ports at `cycle`.
  VcdWriter(std::FILE* file, std::string_view part, std::uint64_t clock_hz, std::uint64_t cycle,
            const std::array<std::uint8_t, kPortCount>& levels);

  // To be called with every pin change the simulator reports.
  void pin_changed(const PinEvent& event);

  // Keeps at most `max` changes after the initial levels; a comment in the
  // file then says where and why (`why` ends the note) it was cut.
  void limit_changes(std::uint64_t max, std::string why);
  bool cut() const { return cut_; }
  // "VCD nach 1000000 Pegelwechseln gekürzt " followed by `why`.
  std::string cut_note() const;

 private:
  void value(Port port, std::uint8_t level);
  std::uint64_t nanoseconds(std::uint64_t cycle) const;

  std::FILE* file_;
  std::uint64_t clock_hz_;
  std::uint64_t last_time_ = 0;
  std::uint64_t changes_ = 0;
  std::uint64_t max_changes_ = UINT64_MAX;
  std::string why_;
  bool cut_ = false;
};

}  // namespace zorvin::sim
