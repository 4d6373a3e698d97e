#include "asm/encoding_pass.h"

#include "asm/instruction_table.h"
#include "asm/numbers.h"
#include "files/unicode_text.h"

namespace zorvin::asm48 {

namespace {

constexpr std::int32_t kLastAddress = 2047;

// Message text of a failed line, or empty when the line encoded.
using Outcome = std::string_view;
constexpr Outcome kEncoded{};

// A "#" in a db or org operand is read like the "#" of an immediate: it is
// dropped, never taken as the end of the number.
Outcome encode_data(LineRecord& record) {
  std::int32_t value = 0;
  if (is_char_literal(record.operand1))
    value = number_value(record.operand1);
  else if (is_number(record.operand1))
    value = number_value(without_hash(record.operand1));
  else
    return kParameterError;
  if (value < 0 || value > 255) return kValueOutOfRange;
  record.is_data = true;
  record.opcode_bits = to_bits(value, 8);
  record.operand_bits.clear();
  record.length = 1;
  return kEncoded;
}

Outcome encode_origin(LineRecord& record) {
  if (!is_number(record.operand1)) return kParameterError;
  const std::int32_t value = number_value(without_hash(record.operand1));
  if (value < 0 || value > kLastAddress) return kValueOutOfRange;
  record.address = value;
  return kEncoded;
}

int operand_count(const LineRecord& record) {
  if (record.operand1.empty()) return record.operand2.empty() ? 0 : -1;
  return record.operand2.empty() ? 1 : 2;
}

Outcome take_immediate(LineRecord& record) {
  const std::string value_text = without_hash(record.operand2);
  if (!is_number(record.operand2) && !is_char_literal(value_text)) return kParameterError;
  const std::int32_t value = number_value(value_text);
  if (value < 0 || value > 255) return kValueOutOfRange;
  record.operand_bits = to_bits(value, 8);
  record.length = 2;
  return kEncoded;
}

// Rows of one mnemonic are tried in table order; the first that fits wins.
Outcome encode_one_operand(LineRecord& record, std::string_view mnemonic, std::size_t row) {
  const std::string operand = fold_case(record.operand1);
  for (; split_row(row).field(1) == mnemonic; ++row) {
    const TableRow& text = split_row(row);
    const std::string_view expected = text.field(2);
    // The placeholder names a label operand; written literally it is no
    // operand of its own (it would give a jump without its address byte).
    if (expected == kAddressPlaceholder) {
      record.target = record.operand1;
      record.needs_target = true;
      record.opcode_bits = std::string(text.field(6));
      record.length = 2;
      return kEncoded;
    }
    if (operand == expected) {
      record.opcode_bits = std::string(text.field(6));
      record.length = 1;
      return kEncoded;
    }
  }
  return kParameterError;
}

Outcome encode_two_operands(LineRecord& record, std::string_view mnemonic, std::size_t row) {
  const std::string first = fold_case(record.operand1);
  const std::string second = fold_case(record.operand2);
  for (; split_row(row).field(1) == mnemonic; ++row) {
    const TableRow& text = split_row(row);
    if (text.field(2) != first) continue;
    record.opcode_bits = std::string(text.field(6));
    record.operand_bits.clear();
    const bool two_bytes = text.field(5) == "2";
    // Any two-byte row takes a "#" operand as its immediate byte.
    if (two_bytes && record.operand2.starts_with('#')) return take_immediate(record);
    if (two_bytes && text.field(3) == kAddressPlaceholder) {
      record.target = record.operand2;
      record.needs_target = true;
      record.length = 2;
      return kEncoded;
    }
    if (second == text.field(3)) {
      record.length = 1;
      return kEncoded;
    }
  }
  return kParameterError;
}

Outcome encode_instruction(LineRecord& record, const std::string& mnemonic) {
  const auto first_row = first_row_of(mnemonic);
  if (!first_row) return kSyntaxError;
  const TableRow& row = split_row(*first_row);
  const int count = operand_count(record);
  if (count < 0 || count != row.field(4).front() - '0') return kParameterError;
  switch (count) {
    case 0:
      record.opcode_bits = std::string(row.field(6));
      record.operand_bits.clear();
      record.length = 1;
      return kEncoded;
    case 1:
      return encode_one_operand(record, mnemonic, *first_row);
    default:
      return encode_two_operands(record, mnemonic, *first_row);
  }
}

Outcome encode_line(LineRecord& record, const std::string& mnemonic) {
  if (mnemonic == "db" || mnemonic == ".db") return encode_data(record);
  if (mnemonic == "org" || mnemonic == ".org") return encode_origin(record);
  if (mnemonic == "jmp" || mnemonic == "call") {
    record.length = 2;
    record.needs_target = true;
    record.target = record.operand1;
    return kEncoded;
  }
  return encode_instruction(record, mnemonic);
}

}  // namespace

int encoding_pass(LineTable& table, Diagnostics& diagnostics) {
  int errors = 0;
  for (LineRecord& record : table.records) {
    const std::string mnemonic = fold_case(record.mnemonic);
    if (mnemonic.empty() || record.is_equ) continue;
    const Outcome outcome = encode_line(record, mnemonic);
    if (outcome != kEncoded) {
      diagnostics.report(record.line_no, outcome);
      ++errors;
    }
  }
  return errors;
}

}  // namespace zorvin::asm48
