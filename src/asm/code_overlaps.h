// Code placed twice: an org back over bytes that earlier lines placed. The
// later code keeps its bytes (the image is written in that order), but the
// user is told, one warning line per overlapping stretch.
#pragma once

#include <string>
#include <vector>

#include "asm/line_record.h"

namespace zorvin::asm48 {

// Warning lines for a table in source order, before the sort by address:
// "Warnung: Code ab Zeile 9 überschreibt Code ab Zeile 2 (0000H bis 0001H)".
std::vector<std::string> code_overlap_warnings(const LineTable& table);

}  // namespace zorvin::asm48
