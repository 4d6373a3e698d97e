// Programs for the simulator tests: assembled from source text with the
// project's assembler, or given as bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "sim/expectation.h"
#include "sim/program_source.h"
#include "sim/simulator.h"

namespace zorvin::sim::test {

// The simulator with the assembled source loaded; `labels` gets its labels.
inline Simulator assembled(const std::string& source, Variant variant = Variant::I8048,
                           std::vector<ProgramLabel>* labels = nullptr) {
  AssembledProgram program = assemble_program(source, {});
  EXPECT_TRUE(program.result.ok()) << source << "\n"
                                   << (program.result.error_lines.empty() ? "" : program.result.error_lines[0]);
  Simulator simulator(variant);
  simulator.load_program(program.bytes);
  if (labels) *labels = program.labels;
  return simulator;
}

inline Simulator with_bytes(const std::vector<std::uint8_t>& bytes, std::uint16_t at = 0,
                            Variant variant = Variant::I8048) {
  Simulator simulator(variant);
  simulator.load_program(bytes, at);
  return simulator;
}

// Runs until the PC reaches the label (at most 100000 cycles).
inline RunResult run_to(Simulator& simulator, const std::vector<ProgramLabel>& labels, const std::string& label) {
  const auto address = label_address(labels, label);
  EXPECT_TRUE(address.has_value()) << label;
  return simulator.run({.until_cycle = 100000, .stop_at = address.value_or(0)});
}

// Checks "A=02 C=1 CYCLES=4 RAM[30]=07" against the state; the failures as text.
inline std::string unmet(const Simulator& simulator, const std::string& expectations) {
  std::istringstream words(expectations);
  std::string failures;
  for (std::string word; words >> word;) {
    const ParsedExpectation parsed = parse_expectation(word);
    if (!parsed.expectation) return "unreadable: " + word;
    const std::uint64_t found = observed(simulator, *parsed.expectation);
    if (found != parsed.expectation->value) failures += formatted(*parsed.expectation, found) + " ";
  }
  return failures;
}

}  // namespace zorvin::sim::test
