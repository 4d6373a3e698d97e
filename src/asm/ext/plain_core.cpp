#include "asm/ext/plain_core.h"

#include <span>

#include "asm/instruction_encoder.h"

namespace zorvin::asm48::ext {

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
