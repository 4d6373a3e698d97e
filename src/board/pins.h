// Pins named in a board file: "P1.3", "T0", a run "P1.0-P1.3", a whole
// port "P1" or "P4", lists of them separated by commas or blanks.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/simulator.h"

namespace zorvin::board {

// One pin: a bit of a port, or T0, T1, INT (bit 0).
struct Pin {
  sim::Port port = sim::Port::P1;
  int bit = 0;
  bool operator==(const Pin&) const = default;
};

// "P1.3", "T0" ...; as the stimulus file spells them.
std::string pin_name(const Pin& pin);

// The pins a text names in order; none when any part is no pin (then
// `error` says which). A whole port counts from bit 0 up.
std::optional<std::vector<Pin>> parse_pins(std::string_view text, std::string& error);

// The level of a pin as the simulator sees it.
bool pin_high(const sim::Simulator& simulator, const Pin& pin);

// Drives one pin from outside (T0, T1, INT: the whole input).
void drive_pin(sim::Simulator& simulator, const Pin& pin, bool high);

}  // namespace zorvin::board
