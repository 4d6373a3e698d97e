// Pin waveforms as a Value Change Dump (IEEE 1364), the format waveform
// viewers such as GTKWave open: P1, P2 and BUS as 8-bit vectors, T0, T1 and
// INT as single wires, time in nanoseconds at the simulator's clock.
#pragma once

#include <cstdint>
#include <cstdio>

#include "sim/simulator.h"

namespace zorvin::sim {

class VcdWriter {
 public:
  // Writes the header and the levels at the current cycle to `file` (the
  // caller opens and closes it).
  VcdWriter(std::FILE* file, const Simulator& simulator);

  // To be called with every pin change the simulator reports.
  void pin_changed(const PinEvent& event);

 private:
  void value(Port port, std::uint8_t level);
  std::uint64_t nanoseconds(std::uint64_t cycle) const;

  std::FILE* file_;
  std::uint64_t clock_hz_;
  std::uint64_t last_time_ = 0;
};

}  // namespace zorvin::sim
