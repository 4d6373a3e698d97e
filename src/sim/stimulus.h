// Inputs for a headless run from a text file: one change per line,
// "CYCLE PIN VALUE" (blanks or commas between them), the cycle in decimal,
// the value in hexadecimal; ";" or "#" start a comment. PIN is T0, T1, INT,
// P1, P2, BUS, P4-P7 (the whole port) or P1.3, P2.7, BUS.0 (one bit).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/simulator.h"

namespace zorvin::sim {

struct PinRef {
  Port port = Port::P1;
  int bit = -1;  // -1: the whole port
};

// "P1.3", "t0", "BUS" ...; none for anything else.
std::optional<PinRef> parse_pin(std::string_view name);

struct StimulusChange {
  std::uint64_t cycle = 0;
  PinRef pin;
  std::uint8_t value = 0;
};

struct Stimulus {
  bool ok = false;
  std::vector<StimulusChange> changes;
  std::string error;  // "Zeile 3: ..." when not ok
};

Stimulus parse_stimulus(std::string_view text);

// Hands the changes to the simulator's schedule.
void schedule_stimulus(Simulator& simulator, const std::vector<StimulusChange>& changes);

// A number in hexadecimal ("3F", "3FH", "0x3F"), at most `max`.
std::optional<std::uint64_t> parse_hex(std::string_view text, std::uint64_t max);
// The fields of a stimulus line, apart at blanks, tabs and commas.
std::vector<std::string_view> stimulus_fields(std::string_view line);
// A number in decimal.
std::optional<std::uint64_t> parse_decimal(std::string_view text);
// Why parse_decimal refused `text`: "ist zu groß" for digits beyond its
// range, "ist keine Dezimalzahl" for anything else.
const char* decimal_fault(std::string_view text);

}  // namespace zorvin::sim
