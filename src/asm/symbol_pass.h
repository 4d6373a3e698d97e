// Textual equ substitution: every occurrence of a symbol name in any operand
// (compared without regard to case, parts of words included) is replaced by
// the symbol's value text.
#pragma once

#include "asm/line_record.h"

namespace zorvin::asm48 {

void symbol_pass(LineTable& table);

}  // namespace zorvin::asm48
