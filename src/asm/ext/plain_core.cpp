#include "asm/ext/plain_core.h"

#include <span>

#include "asm/instruction_encoder.h"
#include "asm/table_hash.h"

namespace zorvin::asm48::ext {

PlainEncoding PlainEncoder::encode(std::string_view folded_mnemonic, std::uint64_t mnemonic,
                                   const PlainOperand& operand1, const PlainOperand& operand2) {
  if (mnemonic == kLongTextKey) return encode_plain(folded_mnemonic, operand1.view(), operand2.view());
  const std::uint64_t first = operand1.key();
  const std::uint64_t second = operand2.key();
  // Each part spread before the next comes in.
  const std::uint64_t parts = ((mnemonic * kSpread) ^ first) * kSpread ^ second;
  for (std::size_t slot = key_slot(parts, kSlotBits);; slot = (slot + 1) % slots_.size()) {
    Entry& entry = slots_[slot];
    if (entry.mnemonic == mnemonic && entry.operand1 == first && entry.operand2 == second) return entry.encoding;
    if (entry.mnemonic != 0) continue;
    const PlainEncoding encoding = encode_plain(folded_mnemonic, operand1.view(), operand2.view());
    // The message texts are the encoder's constants: a kept view stays valid.
    if (4 * used_ < 3 * slots_.size()) {
      entry = {mnemonic, first, second, encoding};
      ++used_;
    }
    return encoding;
  }
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
