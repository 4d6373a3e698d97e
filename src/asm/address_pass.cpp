#include "asm/address_pass.h"

#include "text/unicode_text.h"

namespace zorvin::asm48 {

int address_pass(LineTable& table, Diagnostics& diagnostics) {
  std::int32_t running = 0;
  for (LineRecord& record : table.records) {
    if (record.is_equ) continue;
    if (equals_folded(record.mnemonic, "org") || equals_folded(record.mnemonic, ".org")) {
      running = record.address;  // the origin the encoder stored
    } else {
      record.address = running;
      running += record.length;
    }
  }
  // The code image ends at 7FFH; a byte past it would be lost or land in the
  // wrong place, so such lines are errors.
  int errors = 0;
  for (const LineRecord& record : table.records) {
    if (record.length > 0 && record.address + record.length > kProgramMemorySize) {
      diagnostics.report(record.line_no, kBeyondProgramMemory);
      ++errors;
    }
  }
  return errors;
}

}  // namespace zorvin::asm48
