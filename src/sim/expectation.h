// Expectations about the state after a headless run, "NAME=VALUE": A, PSW
// (as mov a,psw reads it), R0-R7 (selected bank), SP, PC, T, P1, P2, BUS, P4-P7 (an 8243)
// (the pins), F0, F1, C, TF, RAM[20], XRAM[05] with values in hexadecimal,
// CYCLES and STEPS in decimal. Names are compared without regard to case.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sim/simulator.h"

namespace zorvin::sim {

struct Expectation {
  std::string name;      // as the user wrote it, for messages
  std::string key;       // upper case, without the index: "A", "RAM", ...
  int index = 0;         // RAM[index], XRAM[index], Rindex
  std::uint64_t value = 0;
  bool decimal = false;  // CYCLES, STEPS
};

struct ParsedExpectation {
  std::optional<Expectation> expectation;
  std::string error;  // German, when there is none
};

ParsedExpectation parse_expectation(std::string_view text);

// What the simulator holds for the expectation's name.
std::uint64_t observed(const Simulator& simulator, const Expectation& expectation);

// "A=3F" or "CYCLES=1234" for a value, in the expectation's notation.
std::string formatted(const Expectation& expectation, std::uint64_t value);

}  // namespace zorvin::sim
