// Finding the source line an error message names, and stepping from one
// error line to the next.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "asm/diagnostics.h"

namespace zorvin::asm48 {

// The line number of a message "Zeile: <n> -> <text>"; nothing for any
// other message.
std::optional<int> error_line_number(std::string_view message);

// The error lines of a run, each once, in ascending order.
std::vector<int> distinct_error_lines(const std::vector<std::string>& messages);
// The same from the run's diagnostics: their line numbers as they are.
std::vector<int> distinct_error_lines(std::span<const Diagnostic> diagnostics);

// The first of the ascending `lines` after `current` (forward) or before it
// (backward), going round at the end; nothing when there are no lines.
std::optional<int> next_error_line(const std::vector<int>& lines, int current, bool forward);

}  // namespace zorvin::asm48
