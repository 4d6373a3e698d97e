// Where a run's time went, beside the source editor's line numbers: per
// line how often it ran and the machine cycles it took, shaded by its share
// of all cycles; code that never ran reads "0×". Only the lines in view are
// drawn. `id` is the source editor's control id.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/toolkit.h"

namespace zorvin::ui {

struct LineFigure {
  int line = 0;  // 0-based
  std::uint64_t executions = 0;
  std::uint64_t cycles = 0;
  double share = 0.0;  // of all cycles of the run, 0 to 1
};

// Replaces the figures shown; an empty list takes the column away.
void show_line_figures(Toolkit& ui, int id, std::vector<LineFigure> figures);
// The column is shown only while `on` (the figures are kept meanwhile).
void enable_line_figures(Toolkit& ui, int id, bool on);

// What the column reads beside a line ("" for none), and how strongly it is
// shaded there (0 none, 1 the line that took the most); for tests.
std::string line_figure_text(const Toolkit& ui, int id, int line);
double line_figure_shade(const Toolkit& ui, int id, int line);
bool line_figures_shown(const Toolkit& ui, int id);

// "1234", "56k", "7M": a count in at most a few characters.
std::string compact_count(std::uint64_t count);

}  // namespace zorvin::ui
