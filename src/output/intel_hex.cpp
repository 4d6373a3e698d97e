#include "output/intel_hex.h"

#include <algorithm>

#include "output/output_writer.h"

namespace zorvin::output {

namespace {

constexpr std::size_t kRecordBytes = 16;
constexpr char kHexDigits[] = "0123456789ABCDEF";

void append_byte(std::string& line, unsigned value, unsigned& sum) {
  line += kHexDigits[(value >> 4) & 0xFu];
  line += kHexDigits[value & 0xFu];
  sum += value;
}

}  // namespace

std::string intel_hex(const asm48::LineTable& table, std::uint8_t fill_byte) {
  const CodeImage image = build_image(table, fill_byte);
  std::size_t low = kImageSize;
  for (const asm48::LineRecord& record : table.records)
    if (record.code_size() > 0 && record.address >= 0)
      low = std::min(low, static_cast<std::size_t>(record.address));
  std::string text;
  for (std::size_t at = low; at < image.length; at += kRecordBytes) {
    const std::size_t count = std::min(kRecordBytes, image.length - at);
    unsigned sum = 0;
    std::string line = ":";
    append_byte(line, static_cast<unsigned>(count), sum);
    append_byte(line, static_cast<unsigned>(at >> 8), sum);
    append_byte(line, static_cast<unsigned>(at & 0xFF), sum);
    append_byte(line, 0x00, sum);  // data record
    for (std::size_t i = 0; i < count; ++i) append_byte(line, image.bytes[at + i], sum);
    unsigned ignored = 0;
    append_byte(line, (0x100 - (sum & 0xFF)) & 0xFF, ignored);
    text += line + "\r\n";
  }
  text += ":00000001FF\r\n";
  return text;
}

}  // namespace zorvin::output
