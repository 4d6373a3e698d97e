// The watch list: names the user typed (registers, RAM cells by address or
// by a name from the last F5, cells of the external RAM) with their values
// now and whether the last step or run changed them. No toolkit here.
#pragma once

#include <string>
#include <vector>

#include "app/debugger/debugger_line_map.h"
#include "sim/simulator.h"

namespace zorvin::app {

struct WatchLine {
  std::string text;      // "zaehler (RAM 20H) = 05H", "X:30H = 5AH", "foo: unbekannt"
  bool changed = false;  // differs from `before`
};

// The names of "A, r3 zaehler;20h x:30h": split at commas, blanks and semicolons.
std::vector<std::string> watch_names(const std::string& text);

// One line per name.
std::vector<WatchLine> watch_lines(const std::vector<std::string>& names, const sim::Simulator& sim,
                                   const sim::State& before, const DebuggerLineMap& lines);

}  // namespace zorvin::app
