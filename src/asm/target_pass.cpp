#include "asm/target_pass.h"

#include <string>
#include <unordered_map>

#include "asm/instruction_encoder.h"
#include "files/unicode_text.h"

namespace zorvin::asm48 {

namespace {

// Folded label (with its ":") -> address of its first definition; a label
// defined twice resolves to the first one.
std::unordered_map<std::string, std::int32_t> label_addresses(const LineTable& table) {
  std::unordered_map<std::string, std::int32_t> labels;
  for (const LineRecord& record : table.records)
    if (!record.label.empty()) labels.emplace(fold_case(record.label), record.address);
  return labels;
}

}  // namespace

int target_pass(LineTable& table, Diagnostics& diagnostics) {
  const auto labels = label_addresses(table);
  int errors = 0;
  std::string key;
  for (LineRecord& record : table.records) {
    if (!record.needs_target) continue;
    key = fold_case(record.target());
    key += ':';
    const auto found = labels.find(key);
    std::string_view failure = kUnknownTarget;
    if (found != labels.end()) {
      const std::span<std::uint8_t> code = table.code_of(record);
      const FittedJump fitted = fit_target(code[0], record.address, found->second);
      failure = fitted.message;
      if (failure.empty()) {
        code[0] = fitted.opcode;
        code[1] = fitted.operand;
      }
    }
    if (!failure.empty()) {
      diagnostics.report(record.line_no, failure);
      ++errors;
    }
  }
  return errors;
}

}  // namespace zorvin::asm48
