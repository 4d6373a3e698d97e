#include "asm/ext/plain_core.h"

#include <algorithm>

#include "asm/diagnostics.h"
#include "asm/encoding_pass.h"
#include "asm/numbers.h"

namespace zorvin::asm48::ext {

PlainEncoding encode_plain(std::string_view mnemonic, std::string_view operand1, std::string_view operand2) {
  // A table of one record through the plain encoding pass: the same rows,
  // the same operand matching, the same messages.
  static thread_local LineTable one;
  one.records.resize(1);
  LineRecord& record = one.records.front();
  record = LineRecord{};
  record.line_no = 1;
  record.mnemonic.assign(mnemonic);
  record.operand1.assign(operand1);
  record.operand2.assign(operand2);
  Diagnostics diagnostics;
  PlainEncoding out;
  if (encoding_pass(one, diagnostics) != 0) {
    const std::string& line = diagnostics.lines.front();
    for (std::string_view known : {kSyntaxError, kParameterError, kValueOutOfRange})
      if (std::string_view(line).ends_with(known)) out.error = known;
    if (out.error.empty()) out.error = kSyntaxError;
    return out;
  }
  out.length = record.length;
  out.takes_target = record.needs_target;
  if (!record.opcode_bits.empty()) out.bytes[0] = bits_value(record.opcode_bits);
  if (!record.operand_bits.empty()) out.bytes[1] = bits_value(record.operand_bits);
  return out;
}

std::string_view fit_target(bool long_jump, bool is_call, std::int32_t address, std::int32_t target,
                            std::uint8_t bytes[2]) {
  if (long_jump) {
    if (target < 0 || target >= kMemorySize) return kTargetOutOfRange;
    bytes[0] = static_cast<std::uint8_t>(((target >> 8) << 5) | (is_call ? 0x14 : 0x04));
    bytes[1] = static_cast<std::uint8_t>(target & 0xFF);
    return {};
  }
  // The program counter already points at the second byte when the low
  // eight bits are replaced: that byte's page is the one reached.
  if (target < 0 || (address + 1) / 256 != target / 256) return kTargetOffPage;
  bytes[1] = static_cast<std::uint8_t>(target & 0xFF);
  return {};
}

void append_code(LineTable& table, std::int32_t line_no, std::int32_t address, const std::uint8_t* bytes,
                 std::size_t count, bool is_data) {
  // Records hold one or two bytes; longer data goes in pairs.
  for (std::size_t i = 0; i < count; i += 2) {
    LineRecord record;
    record.line_no = line_no;
    record.address = address + static_cast<std::int32_t>(i);
    record.is_data = is_data;
    record.mnemonic = is_data ? "db" : "";
    record.opcode_bits = to_bits(bytes[i], 8);
    record.length = 1;
    if (i + 1 < count) {
      record.operand_bits = to_bits(bytes[i + 1], 8);
      record.length = 2;
    }
    table.records.push_back(std::move(record));
  }
}

void sort_table(LineTable& table) {
  std::stable_sort(table.records.begin(), table.records.end(),
                   [](const LineRecord& a, const LineRecord& b) { return a.address < b.address; });
}

}  // namespace zorvin::asm48::ext
