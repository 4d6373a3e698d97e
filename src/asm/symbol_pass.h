// Textual equ substitution: every occurrence of a symbol name in any operand
// (compared without regard to case, parts of words included) is replaced by
// the symbol's value text.
#pragma once

#include <cstddef>

#include "asm/diagnostics.h"
#include "asm/line_record.h"

namespace zorvin::asm48 {

// A value that names its own symbol (or a chain of such values) doubles an
// operand with every further equ line, so a few lines would take all memory.
// No real operand comes near this size; substitution may not grow one past it.
inline constexpr std::size_t kMaxOperandBytes = 256;

// Substitutes all symbols and reports every line whose operand would grow
// past kMaxOperandBytes; such an operand is left as it was before. Returns
// the number of lines reported.
int symbol_pass(LineTable& table, Diagnostics& diagnostics);

}  // namespace zorvin::asm48
