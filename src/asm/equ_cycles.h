// Circular equ values in the plain dialect. The substitution replaces each
// symbol once, so "x equ y" with "y equ x" leaves the name "y" where a value
// belongs, which then reads as a hexadecimal number ("bh") or a label. An
// equ line whose value still names an equ symbol after the substitution is
// reported with the way round the cycle, found over the values as written.
// A value that is its own name ("R equ r") changes no text and is no cycle.
#pragma once

#include <string_view>
#include <vector>

#include "asm/diagnostics.h"
#include "asm/line_record.h"

namespace zorvin::asm48 {

// The equ lines and their values as written: taken before the substitution
// rewrites the values. The records stay where they are in the table.
struct EquValues {
  std::vector<const LineRecord*> records;
  // operand1 of each, as written: views of the source text, which the table keeps
  std::vector<std::string_view> values;
};

EquValues equ_values(const LineTable& table);

// After the substitution: reports each equ line whose value still names an
// equ symbol as a whole word and leads into a cycle of names; a line that
// has a message already gets none. Returns the number of lines reported.
int report_circular_equs(const EquValues& equs, Diagnostics& diagnostics);

}  // namespace zorvin::asm48
