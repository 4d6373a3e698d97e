#include "output/output_writer.h"

#include <string_view>

#include "files/binary_path.h"
#include "files/file_identity.h"
#include "files/file_rewrite.h"

namespace zorvin::output {

namespace {

// Stores one byte when it lies inside the image and extends the length.
// Where code overlaps, the later source line wins, whichever record the
// sort by address put first.
void store(CodeImage& image, std::vector<std::int32_t>& placed_by, std::int64_t address, std::uint8_t value,
           std::int32_t line_no) {
  if (address < 0 || address >= static_cast<std::int64_t>(kImageSize)) return;
  const auto index = static_cast<std::size_t>(address);
  if (placed_by[index] > line_no) return;
  placed_by[index] = line_no;
  image.bytes[index] = value;
  if (index + 1 > image.length) image.length = index + 1;
}

}  // namespace

CodeImage build_image(const asm48::LineTable& table, std::uint8_t fill_byte) {
  CodeImage image;
  image.bytes.fill(fill_byte);
  std::vector<std::int32_t> placed_by(kImageSize, 0);
  for (const asm48::LineRecord& record : table.records) {
    std::int64_t address = record.address;
    for (const std::uint8_t byte : table.code_of(record)) store(image, placed_by, address++, byte, record.line_no);
  }
  return image;
}

bool write_file_bytes(const std::string& path, const std::uint8_t* data, std::size_t size) {
  return files::rewrite_file(path, std::string_view(reinterpret_cast<const char*>(data), size)).ok;
}

std::optional<std::string> input_file_at(const std::string& output, const std::string& source_path,
                                         const std::vector<std::string>& included) {
  const auto target = files::identity_of(output);
  if (!target) return std::nullopt;
  if (files::identity_of(source_path) == target) return source_path;
  for (const std::string& path : included)
    if (files::identity_of(path) == target) return path;
  return std::nullopt;
}

OutputResult write_output_to(const asm48::LineTable& table, std::uint8_t fill_byte, const std::string& image_path,
                             const std::string& source_path, const std::vector<std::string>& included) {
  const CodeImage image = build_image(table, fill_byte);
  OutputResult result;
  // A q.bin that is a link to q.asm would otherwise take the image in place
  // of the source, and F6 would send the source text to the emulator.
  if (files::same_file(image_path, source_path)) {
    result.messages.push_back(image_path + " - ist die Quelle selbst, Binärdatei nicht gespeichert");
    return result;
  }
  if (const auto input = input_file_at(image_path, source_path, included)) {
    result.messages.push_back(image_path + " - ist die eingebundene Datei " + *input +
                              ", Binärdatei nicht gespeichert");
    return result;
  }
  result.image_path = image_path;  // recorded before the file is touched
  const files::RewriteResult written =
      files::rewrite_file(image_path, std::string_view(reinterpret_cast<const char*>(image.bytes.data()), image.length));
  result.image_written = written.ok;
  if (written.ok)
    result.messages.push_back(image_path + " (" + std::to_string(image.length) + " Byte) gespeichert");
  else
    result.messages.push_back(image_path + " - Fehler beim Speichern der Binärdatei (" + written.error + ")");
  return result;
}

OutputResult write_output(const asm48::LineTable& table, std::uint8_t fill_byte, const std::string& source_path,
                          const std::vector<std::string>& included) {
  if (!source_path.empty()) return write_output_to(table, fill_byte, files::binary_path(source_path), source_path, included);
  return {};
}

}  // namespace zorvin::output
