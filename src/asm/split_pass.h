// First step of a run: turns source lines into line records (labels,
// mnemonic, operands, equ definitions). Reports nothing; malformed lines are
// left for the encoder to reject.
#pragma once

#include <string>

#include "asm/line_record.h"

namespace zorvin::asm48 {

// Refills the table from the editor text (line i has number i + 1), which
// the table keeps, and returns the index of the last record, -1 when no
// line produced one.
std::int32_t split_pass(std::string text, LineTable& table);

}  // namespace zorvin::asm48
