// Encodes every line against the instruction table: data bytes, origins,
// jmp/call and table instructions. Reports each line it cannot encode.
#pragma once

#include "asm/diagnostics.h"
#include "asm/line_record.h"

namespace zorvin::asm48 {

// Returns the number of erroneous lines; every one also got a message.
int encoding_pass(LineTable& table, Diagnostics& diagnostics);

}  // namespace zorvin::asm48
