#include "output/listing.h"

#include <algorithm>
#include <cstdint>
#include <span>

namespace zorvin::output {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void append_hex(std::string& row, unsigned value, int digits) {
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) row += kHexDigits[(value >> shift) & 0xFu];
}

// At least three digits for the address, as the 11-bit program counter has them.
std::string row_of(std::int32_t address, std::span<const std::uint8_t> bytes) {
  const auto value = static_cast<std::uint32_t>(address);
  int digits = 3;
  while (digits < 8 && (value >> (4 * digits)) != 0) ++digits;
  std::string row;
  row.reserve(9);
  append_hex(row, value, digits);
  row += ' ';
  append_hex(row, bytes[0], 2);
  if (bytes.size() > 1) {
    row += ' ';
    append_hex(row, bytes[1], 2);
  } else {
    row += "   ";
  }
  return row;
}

}  // namespace

std::vector<std::string> listing_rows(const asm48::LineTable& table) {
  std::vector<std::string> rows;
  rows.emplace_back(kListingHeader);
  for (const asm48::LineRecord& record : table.records) {
    const std::span<const std::uint8_t> code = table.code_of(record);
    for (std::size_t at = 0; at < code.size(); at += 2)
      rows.push_back(row_of(record.address + static_cast<std::int32_t>(at),
                            code.subspan(at, std::min<std::size_t>(2, code.size() - at))));
  }
  return rows;
}

}  // namespace zorvin::output
