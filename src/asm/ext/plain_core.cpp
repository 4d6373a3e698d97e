#include "asm/ext/plain_core.h"

#include <span>

#include "asm/instruction_encoder.h"

namespace zorvin::asm48::ext {

PlainEncoding encode_plain(std::string_view folded_mnemonic, std::string_view operand1, std::string_view operand2) {
  const Encoding encoding = asm48::encode_instruction(folded_mnemonic, operand1, operand2);
  PlainEncoding out;
  out.error = encoding.message;
  if (!out.error.empty()) return out;
  out.bytes[0] = encoding.opcode;
  out.bytes[1] = encoding.operand;
  out.length = encoding.length;
  out.takes_target = encoding.needs_target;
  return out;
}

std::string_view fit_target(std::int32_t address, std::int32_t target, std::uint8_t bytes[2]) {
  const FittedJump fitted = asm48::fit_target(bytes[0], address, target);
  if (!fitted.message.empty()) return fitted.message;
  bytes[0] = fitted.opcode;
  bytes[1] = fitted.operand;
  return {};
}

void append_code(LineTable& table, std::int32_t line_no, std::int32_t address, const std::uint8_t* bytes,
                 std::size_t count, bool is_data) {
  LineRecord& record = table.add_record(line_no, std::span<const std::uint8_t>(bytes, count));
  record.address = address;
  record.is_data = is_data;
}

void append_reserve(LineTable& table, std::int32_t line_no, std::int32_t address, std::int32_t count) {
  if (count <= 0) return;
  LineRecord& record = table.add_record(line_no, {}, count);
  record.address = address;
}

}  // namespace zorvin::asm48::ext
