// The debugger's marks in the source editor's gutter: breakpoints (a red
// dot) and the line the program stands at (an arrow, the line tinted), and
// clicks in the gutter. They are text marks, so they move with the edits.
// `id` is the source editor's control id.
#pragma once

#include <functional>
#include <vector>

#include "ui/toolkit.h"

namespace zorvin::ui {

// Lines (0-based) that hold a breakpoint now, ascending, each once.
std::vector<int> breakpoint_lines(const Toolkit& ui, int id);
bool has_breakpoint(const Toolkit& ui, int id, int line);
void set_breakpoint(Toolkit& ui, int id, int line, bool on);
void clear_breakpoints(Toolkit& ui, int id);

// The line the program stands at, or -1 for none; a shown line is scrolled
// into view.
void set_current_line(Toolkit& ui, int id, int line);
int current_line(const Toolkit& ui, int id);

// A click with the first button into the gutter beside a line (0-based).
void on_gutter_clicked(Toolkit& ui, int id, std::function<void(int line)> handler);

}  // namespace zorvin::ui
