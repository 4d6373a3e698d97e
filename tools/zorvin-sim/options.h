// zorvin-sim's command line: the options, their checks and the bounds of a run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "command_line.h"
#include "sim/expectation.h"
#include "sim/serial_line.h"
#include "sim/simulator.h"

namespace zorvin::sim_tool {

// Without --steps or --cycles a program that loops for ever still ends:
// 100 million cycles are 250 s of a 6 MHz 8048, about a second here.
inline constexpr std::uint64_t kDefaultCycles = 100'000'000;
// The most --steps and --cycles take: 10 billion cycles are seven hours of
// a 6 MHz 8048 and one to two minutes here (a Raspberry Pi takes several
// times that); beyond it a typo of a digit would run for hours.
inline constexpr std::uint64_t kMaxRunLength = 10'000'000'000;
// Without --steps or --cycles the trace keeps the first steps and the VCD
// file the first pin changes, rather than gigabytes (about 11 and 20 MB).
inline constexpr std::uint64_t kMaxOpenEndedTraceLines = 100'000;
inline constexpr std::uint64_t kMaxOpenEndedVcdChanges = 1'000'000;

extern const char* const kUsage;

struct Options {
  std::string program;
  std::optional<std::string> cpu;
  std::optional<std::uint64_t> steps;
  std::optional<std::uint64_t> cycles;
  std::optional<std::string> until;
  std::optional<std::string> stimulus;
  std::optional<std::string> trace;
  std::optional<std::string> profile;
  std::vector<sim::Expectation> expectations;
  std::uint64_t clock_hz = sim::kDefaultClockHz;
  std::optional<std::string> vcd;
  std::optional<sim::SerialConfig> serial;
  std::vector<std::string> sends;
  std::optional<std::string> serial_out;
  std::vector<std::string> expected_outputs;
  std::optional<cli::ErrorFormat> error_format;
  std::optional<cli::Request> request;  // --help or --version: answered instead of a run
  bool clock_given = false;
  std::optional<std::string> board;                         // --board FILE
  std::optional<std::vector<std::uint8_t>> expected_host;   // --expect-host "41 0D"
  bool lcd = false;                                         // --lcd
  std::vector<std::string> expected_lcd;                    // --expect-lcd TEXT

  // A limit of the user's; without one the run has kDefaultCycles at most,
  // the trace and the VCD file their own bounds.
  bool limited() const { return steps || cycles; }
};

// False after a German message on standard error; at --help or --version
// true with `request` set and the rest unread.
bool parse_options(int argc, char** argv, Options& options);

}  // namespace zorvin::sim_tool
