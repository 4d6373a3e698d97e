// Where the time went: how often each instruction ran and the machine
// cycles it took, counted from the simulator's trace, and the same per
// source line for the debugger and zorvin-sim --profile.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "asm/line_record.h"
#include "sim/simulator.h"

namespace zorvin::sim {

struct ProfileCount {
  std::uint64_t executions = 0;
  std::uint64_t cycles = 0;
};

class Profile {
 public:
  explicit Profile(Variant variant);

  // Counts one step as the trace reports it:
  //   simulator.set_trace([&](const TraceStep& step) { profile.count(step); });
  void count(const TraceStep& step);
  void clear();

  // The instruction at a program address (0-FFFH).
  const ProfileCount& at(std::uint16_t address) const { return counts_[address & 0xFFF]; }
  // Interrupt entries: the call the processor inserts (two cycles each).
  const ProfileCount& interrupt_entries() const { return interrupts_; }
  std::uint64_t total_cycles() const { return total_cycles_; }
  std::uint64_t total_steps() const { return total_steps_; }

 private:
  std::array<ProfileCount, 4096> counts_{};
  ProfileCount interrupts_;
  std::uint64_t total_cycles_ = 0;
  std::uint64_t total_steps_ = 0;
  const std::uint8_t* cycles_ = nullptr;  // by opcode, for this part
};

// The source line (1-based) of every code address of an assembler run, 0
// where there is none; as long as the highest address holding code.
std::vector<std::int32_t> code_lines(const asm48::LineTable& table);

struct LineProfile {
  std::int32_t line = 0;
  std::uint64_t executions = 0;  // the most any instruction of the line ran
  std::uint64_t cycles = 0;      // all of its instructions together
};

// Every line that holds code, in ascending order, with its counts.
std::vector<LineProfile> profile_by_line(const Profile& profile, std::span<const std::int32_t> lines);

// The text zorvin-sim --profile writes: a heading, then per line (without
// lines: per instruction address that ran) the executions, the cycles and
// their share of all cycles; interrupt entries and the sum at the end.
std::string profile_text(const Profile& profile, std::span<const std::int32_t> lines);

}  // namespace zorvin::sim
