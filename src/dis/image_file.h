// Reading a program memory image from a file: raw bytes (.bin and any
// other name) or Intel HEX (.hex, .ihx), as EPROM programmers write them;
// for the disassembler, the window's binary open and the simulator.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zorvin::dis {

// Neither form holds more than the 8048's 4 KiB; a larger file is refused
// before it is read.
inline constexpr std::size_t kMaxImageBytes = 4096;
inline constexpr std::size_t kMaxHexFileBytes = 1024 * 1024;

struct ImageFile {
  std::int32_t base = 0;           // address of bytes[0]
  std::vector<std::uint8_t> bytes;
  std::string error;               // German message, empty when read
  bool ok() const { return error.empty(); }
};

// True for a name that ends in .hex or .ihx, in any case.
bool is_hex_name(std::string_view path);

// True for a HEX name or one that ends in .bin, in any case.
bool is_image_name(std::string_view path);

// The data records of an Intel HEX text, from the lowest to the highest
// address they fill; addresses no record fills get `fill_byte`. The text
// must end with an end record; errors name the line.
ImageFile parse_intel_hex(std::string_view text, std::uint8_t fill_byte);

// The error with the file's name in front where it does not name the file
// already (a HEX error names only its line).
std::string error_with_name(const std::string& path, const ImageFile& image);

// Reads the file in the form its name says; a raw image lies at `base`
// (a HEX file brings its own addresses).
ImageFile read_image_file(const std::string& path, std::int32_t base, std::uint8_t fill_byte);

}  // namespace zorvin::dis
