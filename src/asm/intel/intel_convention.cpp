// Intel's ASM48 convention: $ control lines ($MOD48, $INCLUDE(file)),
// suffixed numbers only, $ as the location counter, the word operators
// HIGH LOW MOD SHL SHR AND OR XOR NOT and EQ NE LT LE GT GE, and
// DB DW DS EQU SET ORG END. A value too large for a byte is an error.
#include "asm/dialect/dialects.h"
#include "asm/dialect/operator_tables.h"

namespace zorvin::asm48 {

const Convention& intel_convention() {
  static const Convention convention = [] {
    Convention c;
    c.id = DialectId::Intel;
    c.name = "Intel ASM48";
    c.option = "asm48";
    c.word_relations = true;
    c.operators = kEngineOperators;
    c.doubled_quotes = true;
    c.true_is_minus_one = true;
    c.bare_high_low = true;
    c.dollar_controls = true;
    c.comment_after_value = true;
    return c;
  }();
  return convention;
}

}  // namespace zorvin::asm48
