// zorvin-sim with --board: the board file read before the program (its
// part and crystal), the board's lines taken out of the stimulus file, the
// board wired to the simulator, and at the end what the host read, the
// LCD's text and the checks of --expect-host and --expect-lcd.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/board_script.h"
#include "options.h"
#include "sim/simulator.h"

namespace zorvin::sim_tool {

class BoardRun {
 public:
  // Reads --board, if given, and sets the part and the crystal from it.
  // False after a message on standard error (a wrong call: exit 2).
  bool read(Options& options);
  bool active() const { return file_ != nullptr; }

  // The stimulus text without the board's lines, which this keeps; false
  // after a message on standard error.
  bool take_events(const std::string& stimulus_name, std::string& text);

  // Wires the board to the simulator and hands it the events.
  bool attach(sim::Simulator& simulator);
  board::Board* board() { return board_.get(); }
  board::BoardScript* script() { return board_ ? &script_ : nullptr; }

  // Prints what the host read, the LCD, the devices' faults, writes a
  // battery-backed RAM, checks the expectations; false when one fails.
  bool finish(const Options& options, std::FILE* out);

 private:
  std::unique_ptr<board::BoardFile> file_;
  std::unique_ptr<board::Board> board_;
  board::BoardScript script_;
  std::vector<board::BoardEvent> events_;
  std::string stimulus_name_;
};

// "41 0D" as bytes; false for anything else.
bool parse_host_bytes(const std::string& text, std::vector<std::uint8_t>& bytes);

}  // namespace zorvin::sim_tool
