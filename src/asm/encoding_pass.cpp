#include "asm/encoding_pass.h"

#include <array>
#include <optional>
#include <string>

#include "asm/instruction_encoder.h"
#include "asm/numbers.h"

namespace zorvin::asm48 {

namespace {

constexpr std::int32_t kLastAddress = 2047;

// Message text of a failed line, or empty when the line encoded.
using Outcome = std::string_view;
constexpr Outcome kEncoded{};

// A "#" in a db or org operand is read like the "#" of an immediate: it is
// dropped, never taken as the end of the number. A second value would be
// lost without a word, so it is an error here.
Outcome encode_data(LineTable& table, LineRecord& record) {
  if (!record.operand2.empty()) return kOneValuePerDb;
  std::string storage;
  std::optional<std::int32_t> value;
  if (is_char_literal(record.operand1))
    value = number_value(record.operand1);
  else if (is_number(record.operand1))
    value = number_value(without_hash(record.operand1, storage));
  else
    return kParameterError;
  if (!value || *value < 0 || *value > 255) return kValueOutOfRange;
  record.is_data = true;
  const std::uint8_t byte = static_cast<std::uint8_t>(*value);
  table.set_code(record, {&byte, 1});
  return kEncoded;
}

Outcome encode_origin(LineRecord& record) {
  if (!is_number(record.operand1)) return kParameterError;
  std::string storage;
  const std::optional<std::int32_t> value = number_value(without_hash(record.operand1, storage));
  if (!value || *value < 0 || *value > kLastAddress) return kValueOutOfRange;
  record.address = *value;
  return kEncoded;
}

// `key` is text_key(mnemonic): words are told apart by one compare each.
Outcome encode_line(LineTable& table, LineRecord& record, std::string_view mnemonic, std::uint64_t key,
                    StatementEncoder& encoder) {
  if (key == word_key("db") || key == word_key(".db")) return encode_data(table, record);
  if (key == word_key("org") || key == word_key(".org")) return encode_origin(record);
  const Encoding encoding = encode_instruction(mnemonic, record.operand1, record.operand2, encoder, key);
  if (!encoding.message.empty()) return encoding.message;
  const std::uint8_t bytes[2] = {encoding.opcode, encoding.operand};
  table.set_code(record, {bytes, static_cast<std::size_t>(encoding.length)});
  record.needs_target = encoding.needs_target;
  record.target_operand = encoding.target_operand;
  return kEncoded;
}

// Every mnemonic and directive is ASCII and at most eight bytes long, so
// lower-casing A-Z is all the folding a match needs; a longer mnemonic
// matches nothing, folded or not.
std::string_view folded_mnemonic(std::string_view mnemonic, std::array<char, 8>& buffer) {
  if (mnemonic.size() > buffer.size()) return mnemonic;
  for (std::size_t i = 0; i < mnemonic.size(); ++i) {
    const char c = mnemonic[i];
    buffer[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  }
  return {buffer.data(), mnemonic.size()};
}

}  // namespace

int encoding_pass(LineTable& table, Diagnostics& diagnostics) {
  int errors = 0;
  std::array<char, 8> buffer;
  StatementEncoder encoder;
  table.code.reserve(2 * table.records.size());  // at most two bytes a line
  for (LineRecord& record : table.records) {
    if (record.mnemonic.empty() || record.is_equ) continue;
    const Outcome outcome = encode_line(table, record, folded_mnemonic(record.mnemonic, buffer),
                                        folded_key(record.mnemonic), encoder);
    if (outcome != kEncoded) {
      diagnostics.report(record.line_no, outcome);
      ++errors;
    }
  }
  return errors;
}

}  // namespace zorvin::asm48
