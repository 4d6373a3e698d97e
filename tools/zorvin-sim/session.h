// zorvin-sim's run: from reset to a limit, in slices, so that the terminal
// types each --send text once the line has been quiet, --until is caught
// at any slice's end, and a long run shows its progress on standard error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "board/board_script.h"
#include "options.h"
#include "sim/serial_line.h"
#include "sim/simulator.h"

namespace zorvin::sim_tool {

struct RunOutcome {
  sim::RunResult result;       // how the last slice ended; Address when --until was reached
  bool default_bound = false;  // kDefaultCycles ended a run without a limit of the user's
  bool quiet = false;          // a run without limits ended after a second of quiet on the line
  std::size_t begun = 0;       // --send texts whose typing began
  std::size_t typed = 0;       // --send texts typed to their last stop bit
};

// Runs as the options say; `terminal` is the one on the serial line, if any.
// `script`, the board's key and host events, if any.
RunOutcome run_program(sim::Simulator& simulator, sim::SerialTerminal* terminal, const Options& options,
                       std::optional<std::uint16_t> until, board::BoardScript* script = nullptr);

}  // namespace zorvin::sim_tool
