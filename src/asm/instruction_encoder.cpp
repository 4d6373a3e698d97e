#include "asm/instruction_encoder.h"

#include <string>

#include "asm/address_pass.h"
#include "asm/diagnostics.h"
#include "asm/instruction_table.h"
#include "asm/statement_encoder.h"
#include "asm/numbers.h"
#include "text/unicode_text.h"

namespace zorvin::asm48 {

namespace {

constexpr std::uint8_t kJmp = 0x04;   // 000 00100: A10..A8 go into the top three bits
constexpr std::uint8_t kCall = 0x14;  // 000 10100
constexpr std::int32_t kPageSize = 256;

// "#..." read with the plain number rules; a text that is no number stays
// an immediate the encoder refuses, so that it fails only where a row
// would take it.
Operand immediate_of(std::string_view text) {
  std::string storage;
  const std::string_view value_text = without_hash(text, storage);
  // is_number ignores every "#" itself.
  if (!is_number(value_text) && !is_char_literal(value_text)) return Operand::unreadable_immediate();
  // A number beyond 32 bits is out of range like any other too large one.
  return Operand::immediate(number_value(value_text).value_or(-1));
}

// A plain operand text as an Operand: a register word in any case, "@" and
// one, "#" and a number; any other text matches no row but a target's.
Operand operand_of(std::string_view text) {
  if (text.empty()) return Operand::none();
  if (text.front() == '#') return immediate_of(text);
  const bool indirect = text.front() == '@';
  const auto reg = register_of_key(folded_key(indirect ? text.substr(1) : text));
  if (!reg) return Operand::unknown();
  return indirect ? Operand::indirect(*reg) : Operand::of_register(*reg);
}


Statement statement_of(std::string_view mnemonic, std::string_view operand1, std::string_view operand2) {
  Statement statement;
  statement.mnemonic = mnemonic;
  statement.operands[0] = operand_of(operand1);
  statement.operands[1] = operand_of(operand2);
  return statement;
}

Encoding plain_encoding(std::string_view mnemonic, const StatementCode& code) {
  Encoding encoding;
  switch (code.failure) {
    case EncodeFailure::None:
      break;
    case EncodeFailure::OnlyOnUpi:
      // The plain dialect knows no UPI-41/42 row: its mnemonic is unknown
      // there, or its operands fit no 8048 row.
      encoding.message = rows_of(mnemonic) ? kParameterError : kSyntaxError;
      return encoding;
    default:
      encoding.message = failure_text(code.failure);
      return encoding;
  }
  encoding.opcode = code.bytes[0];
  encoding.operand = code.bytes[1];
  encoding.length = code.length;
  encoding.needs_target = code.needs_target;
  encoding.target_operand = code.target_operand;
  return encoding;
}

}  // namespace

Encoding encode_instruction(std::string_view mnemonic, std::string_view operand1, std::string_view operand2) {
  return plain_encoding(mnemonic, encode_statement(statement_of(mnemonic, operand1, operand2), InstructionSet::Mcs48));
}

Encoding encode_instruction(std::string_view mnemonic, std::string_view operand1, std::string_view operand2,
                            StatementEncoder& encoder, std::uint64_t mnemonic_key) {
  Statement statement = statement_of(mnemonic, operand1, operand2);
  statement.mnemonic_key = mnemonic_key;
  return plain_encoding(mnemonic, encoder.encode(statement, InstructionSet::Mcs48));
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
