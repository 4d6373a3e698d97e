#include "asm/target_pass.h"

#include <unordered_map>

#include "asm/address_pass.h"
#include "asm/numbers.h"
#include "files/unicode_text.h"

namespace zorvin::asm48 {

namespace {

constexpr std::int32_t kPageSize = 256;

// Folded label (with its ":") -> address of its first definition; a label
// defined twice resolves to the first one.
std::unordered_map<std::string, std::int32_t> label_addresses(const LineTable& table) {
  std::unordered_map<std::string, std::int32_t> labels;
  labels.reserve(table.records.size());
  for (const LineRecord& record : table.records)
    if (!record.label.empty()) labels.emplace(fold_case(record.label), record.address);
  return labels;
}

// jmp/call carry address bits A10..A8 in the opcode and reach all 2 KiB.
std::string_view resolve_long(LineRecord& record, const std::string& mnemonic, std::int32_t target) {
  if (target < 0 || target >= kProgramMemorySize) return kTargetOutOfRange;
  record.opcode_bits = to_bits(target / kPageSize, 3) + (mnemonic == "jmp" ? "00100" : "10100");
  record.operand_bits = to_bits(target % kPageSize, 8);
  return {};
}

// A conditional jump replaces only the low eight bits of the program
// counter, which already points past the second byte when the jump is taken:
// the page that counts is the page of the second byte.
std::string_view resolve_in_page(LineRecord& record, std::int32_t target) {
  if ((record.address + 1) / kPageSize != target / kPageSize) return kTargetOffPage;
  record.operand_bits = to_bits(target % kPageSize, 8);
  return {};
}

}  // namespace

int target_pass(LineTable& table, Diagnostics& diagnostics) {
  const auto labels = label_addresses(table);
  int errors = 0;
  for (LineRecord& record : table.records) {
    if (!record.needs_target) continue;
    const auto found = labels.find(fold_case(record.target) + ":");
    std::string_view failure = kUnknownTarget;
    if (found != labels.end()) {
      const std::string mnemonic = fold_case(record.mnemonic);
      failure = (mnemonic == "jmp" || mnemonic == "call") ? resolve_long(record, mnemonic, found->second)
                                                          : resolve_in_page(record, found->second);
    }
    if (!failure.empty()) {
      diagnostics.report(record.line_no, failure);
      ++errors;
    }
  }
  return errors;
}

}  // namespace zorvin::asm48
