// Gives every line its program memory address, from 0 and from each org on.
#pragma once

#include "asm/diagnostics.h"
#include "asm/line_record.h"

namespace zorvin::asm48 {

inline constexpr std::int32_t kProgramMemorySize = 2048;

// Assigns addresses in source order and reports every line that would place
// a byte at 2048 or above. Returns the number of such lines.
int address_pass(LineTable& table, Diagnostics& diagnostics);

}  // namespace zorvin::asm48
