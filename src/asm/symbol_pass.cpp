#include "asm/symbol_pass.h"

#include <algorithm>
#include <string>
#include <vector>

#include "files/unicode_text.h"

namespace zorvin::asm48 {

namespace {

// An operand together with its case-folded form, which has the same length
// in bytes, so positions found in one are valid in the other.
struct FoldedOperand {
  std::string_view* text;
  std::string current;
  std::string folded;
  bool changed = false;
  bool too_long = false;  // it would have outgrown the limit
};

// Replaces every occurrence left to right; the inserted value is not searched.
// An operand that would grow past the limit keeps its text and stops taking
// substitutions; its line is an error.
void replace_all(FoldedOperand& operand, const std::string& folded_name, const std::string& value) {
  if (operand.too_long) return;
  std::size_t found = operand.folded.find(folded_name);
  if (found == std::string::npos) return;
  const std::size_t limit = std::max(kMaxOperandBytes, operand.current.size());
  std::string result;
  std::size_t done = 0;
  while (found != std::string::npos) {
    result.append(operand.current, done, found - done);
    result += value;
    if (result.size() > limit) {
      operand.too_long = true;
      return;
    }
    done = found + folded_name.size();
    found = operand.folded.find(folded_name, done);
  }
  result.append(operand.current, done);
  if (result.size() > limit) {
    operand.too_long = true;
    return;
  }
  operand.current = std::move(result);
  operand.folded = fold_case(operand.current);
  operand.changed = true;
}

}  // namespace

int symbol_pass(LineTable& table, Diagnostics& diagnostics) {
  // Two operands per record, in record order.
  std::vector<FoldedOperand> operands;
  for (LineRecord& record : table.records) {
    operands.push_back({&record.operand1, std::string(record.operand1), fold_case(record.operand1)});
    operands.push_back({&record.operand2, std::string(record.operand2), fold_case(record.operand2)});
  }
  for (std::size_t i = 0; i < table.records.size(); ++i) {
    const LineRecord& symbol = table.records[i];
    if (!symbol.is_equ || symbol.mnemonic.empty()) continue;
    // The value is taken before the pass runs over the symbol's own line.
    const std::string folded_name = fold_case(symbol.mnemonic);
    const std::string value = operands[2 * i].current;
    for (FoldedOperand& operand : operands) replace_all(operand, folded_name, value);
  }
  for (FoldedOperand& operand : operands)
    if (operand.changed) *operand.text = table.keep(operand.current);
  int errors = 0;
  for (std::size_t i = 0; i < table.records.size(); ++i) {
    if (!operands[2 * i].too_long && !operands[2 * i + 1].too_long) continue;
    diagnostics.report(table.records[i].line_no, kOperandTooLong);
    ++errors;
  }
  return errors;
}

}  // namespace zorvin::asm48
