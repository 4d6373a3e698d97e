// Resolves the label operands of jmp, call, conditional jumps and djnz.
#pragma once

#include "asm/diagnostics.h"
#include "asm/line_record.h"

namespace zorvin::asm48 {

// Fills the code bits of every line that names a label; reports unknown
// labels and unreachable targets. Returns the number of erroneous lines.
int target_pass(LineTable& table, Diagnostics& diagnostics);

}  // namespace zorvin::asm48
