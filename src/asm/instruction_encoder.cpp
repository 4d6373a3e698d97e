#include "asm/instruction_encoder.h"

#include <string>

#include "asm/address_pass.h"
#include "asm/diagnostics.h"
#include "asm/instruction_table.h"
#include "asm/numbers.h"
#include "text/unicode_text.h"

namespace zorvin::asm48 {

namespace {

constexpr std::uint8_t kJmp = 0x04;   // 000 00100: A10..A8 go into the top three bits
constexpr std::uint8_t kCall = 0x14;  // 000 10100
constexpr std::int32_t kPageSize = 256;

Encoding failure(std::string_view message) {
  Encoding encoding;
  encoding.message = message;
  return encoding;
}

Encoding one_byte(std::uint8_t opcode) {
  Encoding encoding;
  encoding.opcode = opcode;
  encoding.length = 1;
  return encoding;
}

Encoding jump(std::uint8_t opcode, std::uint8_t target_operand) {
  Encoding encoding;
  encoding.opcode = opcode;
  encoding.length = 2;
  encoding.needs_target = true;
  encoding.target_operand = target_operand;
  return encoding;
}

int operand_count(std::string_view operand1, std::string_view operand2) {
  if (operand1.empty()) return operand2.empty() ? 0 : -1;
  return operand2.empty() ? 1 : 2;
}

Encoding immediate(std::uint8_t opcode, std::string_view operand2) {
  std::string storage;
  const std::string_view value_text = without_hash(operand2, storage);
  // is_number ignores every "#" itself.
  if (!is_number(value_text) && !is_char_literal(value_text)) return failure(kParameterError);
  const std::int32_t value = number_value(value_text);
  if (value < 0 || value > 255) return failure(kValueOutOfRange);
  Encoding encoding = one_byte(opcode);
  encoding.operand = static_cast<std::uint8_t>(value);
  encoding.length = 2;
  return encoding;
}

// Rows of one mnemonic are tried in table order; the first that fits wins.
// Table operands are lower-case ASCII, so comparing their keys with the
// folded_key of the operand as written is comparing the folded texts.
Encoding one_operand(RowRange rows, std::string_view operand1) {
  const std::uint64_t key = folded_key(operand1);
  for (const TableRow& row : split_rows(rows)) {
    // The placeholder names a label operand; written literally it is no
    // operand of its own (it would give a jump without its address byte).
    if (row.address_operand == 1) return jump(row.opcode, 1);
    if (row.operand_keys[0] == key) return one_byte(row.opcode);
  }
  return failure(kParameterError);
}

Encoding two_operands(RowRange rows, std::string_view operand1, std::string_view operand2) {
  const std::uint64_t first = folded_key(operand1);
  const std::uint64_t second = folded_key(operand2);
  for (const TableRow& row : split_rows(rows)) {
    if (row.operand_keys[0] != first) continue;
    // Any two-byte row takes a "#" operand as its immediate byte.
    if (row.two_bytes && operand2.starts_with('#')) return immediate(row.opcode, operand2);
    if (row.two_bytes && row.address_operand == 2) return jump(row.opcode, 2);
    if (row.operand_keys[1] == second) return one_byte(row.opcode);
  }
  return failure(kParameterError);
}

}  // namespace

Encoding encode_instruction(std::string_view mnemonic, std::string_view operand1, std::string_view operand2) {
  // jmp and call take any operand as their target; the target pass judges it.
  if (mnemonic == "jmp") return jump(kJmp, 1);
  if (mnemonic == "call") return jump(kCall, 1);
  const auto rows = rows_of(mnemonic);
  if (!rows) return failure(kSyntaxError);
  const TableRow& row = split_rows(*rows).front();
  const int count = operand_count(operand1, operand2);
  if (count < 0 || count != row.operand_count) return failure(kParameterError);
  switch (count) {
    case 0:
      return one_byte(row.opcode);
    case 1:
      return one_operand(*rows, operand1);
    default:
      return two_operands(*rows, operand1, operand2);
  }
}

FittedJump fit_target(std::uint8_t opcode, std::int32_t address, std::int32_t target) {
  FittedJump fitted;
  const auto low_five = static_cast<std::uint8_t>(opcode & 0x1F);
  if (low_five == kJmp || low_five == kCall) {
    if (target < 0 || target >= kProgramMemorySize) {
      fitted.message = kTargetOutOfRange;
      return fitted;
    }
    fitted.opcode = static_cast<std::uint8_t>(((target / kPageSize) << 5) | low_five);
    fitted.operand = static_cast<std::uint8_t>(target % kPageSize);
    return fitted;
  }
  // A conditional jump replaces only the low eight bits of the program
  // counter, which already points past the second byte when the jump is
  // taken: the page that counts is the page of the second byte.
  if (target < 0 || (address + 1) / kPageSize != target / kPageSize) {
    fitted.message = kTargetOffPage;
    return fitted;
  }
  fitted.opcode = opcode;
  fitted.operand = static_cast<std::uint8_t>(target % kPageSize);
  return fitted;
}

}  // namespace zorvin::asm48
