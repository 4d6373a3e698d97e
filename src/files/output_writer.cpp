#include "files/output_writer.h"

#include <cstdio>
#include <string_view>

#include "asm/numbers.h"
#include "files/binary_path.h"
#include "files/file_identity.h"
#include "files/file_rewrite.h"

namespace zorvin::files {

namespace {

// "AAA XX YY", or "AAA XX" and three blanks for a one-byte line.
std::string listing_row(std::int32_t address, std::uint8_t first, std::optional<std::uint8_t> second) {
  char row[32];
  if (second)
    std::snprintf(row, sizeof row, "%03X %02X %02X", static_cast<unsigned>(address), first, *second);
  else
    std::snprintf(row, sizeof row, "%03X %02X   ", static_cast<unsigned>(address), first);
  return row;
}

// Stores one byte when it lies inside the image and extends the length.
void store(CodeImage& image, std::int64_t address, std::uint8_t value) {
  if (address < 0 || address >= static_cast<std::int64_t>(kImageSize)) return;
  const auto index = static_cast<std::size_t>(address);
  image.bytes[index] = value;
  if (index + 1 > image.length) image.length = index + 1;
}

}  // namespace

CodeImage build_image(const asm48::LineTable& table, std::uint8_t fill_byte) {
  CodeImage image;
  image.bytes.fill(fill_byte);
  image.listing_rows.emplace_back(kListingHeader);
  for (const asm48::LineRecord& record : table.records) {
    if (record.length <= 0) continue;
    const std::uint8_t first = asm48::bits_value(record.opcode_bits);
    store(image, record.address, first);
    std::optional<std::uint8_t> second;
    if (!record.operand_bits.empty()) {
      second = asm48::bits_value(record.operand_bits);
      store(image, static_cast<std::int64_t>(record.address) + 1, *second);
    }
    image.listing_rows.push_back(listing_row(record.address, first, second));
  }
  return image;
}

bool write_file_bytes(const std::string& path, const std::uint8_t* data, std::size_t size) {
  return rewrite_file(path, std::string_view(reinterpret_cast<const char*>(data), size)).ok;
}

OutputResult write_output_to(const asm48::LineTable& table, std::uint8_t fill_byte, const std::string& image_path,
                             const std::string& source_path) {
  CodeImage image = build_image(table, fill_byte);
  OutputResult result;
  result.listing_rows = std::move(image.listing_rows);
  // A q.bin that is a link to q.asm would otherwise take the image in place
  // of the source, and F6 would send the source text to the emulator.
  if (same_file(image_path, source_path)) {
    result.messages.push_back(image_path + " - ist die Quelle selbst, Binärdatei nicht gespeichert");
    return result;
  }
  result.image_path = image_path;  // recorded before the file is touched
  const RewriteResult written =
      rewrite_file(image_path, std::string_view(reinterpret_cast<const char*>(image.bytes.data()), image.length));
  result.image_written = written.ok;
  if (written.ok)
    result.messages.push_back(image_path + " (" + std::to_string(image.length) + " Byte) gespeichert");
  else
    result.messages.push_back(image_path + " - Fehler beim Speichern der Binärdatei (" + written.error + ")");
  return result;
}

OutputResult write_output(const asm48::LineTable& table, std::uint8_t fill_byte, const std::string& source_path) {
  if (!source_path.empty()) return write_output_to(table, fill_byte, binary_path(source_path), source_path);
  OutputResult result;
  result.listing_rows = build_image(table, fill_byte).listing_rows;
  return result;
}

}  // namespace zorvin::files
