// After a successful run: the code image and the binary image
// file. The listing rows are formatted apart, only when they are shown
// (files/listing.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "asm/line_record.h"

namespace zorvin::output {

// The 8048's 4 KiB of program memory; the plain dialect and the UPI-41/42
// place code only in the first 2048 bytes.
inline constexpr std::size_t kImageSize = 4096;

// The run's last line when it assembled but an output file was not written.
inline constexpr std::string_view kOutputsNotSaved =
    "Assembliert, aber nicht alle Ausgabedateien gespeichert: Fehler beim Speichern!";
struct CodeImage {
  std::array<std::uint8_t, kImageSize> bytes{};
  std::size_t length = 1;  // one past the highest address holding code; 1 when none
};

struct OutputResult {
  std::vector<std::string> messages;      // the "gespeichert" line or the line saying why not
  std::optional<std::string> image_path;  // set when a binary path was formed, even if writing failed,
                                          // but never when it leads to the source itself
  bool image_written = false;             // the whole image reached the file
};

// Builds the image from a table sorted by address, touching no file.
// Bytes that would lie outside the image are never stored.
CodeImage build_image(const asm48::LineTable& table, std::uint8_t fill_byte);

// Writes the image beside the source (binary path rule). An empty source path
// writes nothing, records no image path and adds no message.
// `included` are the other files the run read.
OutputResult write_output(const asm48::LineTable& table, std::uint8_t fill_byte, const std::string& source_path,
                          const std::vector<std::string>& included = {});

// Writes the image to the given file instead. A path that leads to the file
// `source_path` names or to one of `included` (a link to it, say) is
// refused: no file the run read is ever overwritten by its image.
OutputResult write_output_to(const asm48::LineTable& table, std::uint8_t fill_byte, const std::string& image_path,
                             const std::string& source_path, const std::vector<std::string>& included = {});

// The file among `source_path` and `included` that `output` leads to (by
// device and inode), or none.
std::optional<std::string> input_file_at(const std::string& output, const std::string& source_path,
                                         const std::vector<std::string>& included);

// Replaces the file's content by the bytes (regular files only); false when
// that did not succeed completely.
bool write_file_bytes(const std::string& path, const std::uint8_t* data, std::size_t size);

}  // namespace zorvin::output
