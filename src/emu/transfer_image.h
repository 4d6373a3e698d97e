// The image F6 and zorvin-load send: read from a raw binary file or an Intel
// HEX file, and anything that is no image (a source text) refused.
#pragma once

#include <cstdint>
#include <string>

namespace zorvin::emu {

struct TransferImage {
  std::string bytes;     // from address 0, padded with 00H to whole 128-byte blocks
  std::size_t size = 0;  // up to the last byte of the image
  std::string problem;   // why there is none, for "<path> - <problem>"; empty when read
};

// Reads the image at `path`. A name ending in .hex or .ihx, or a text that
// holds Intel HEX records, is read as Intel HEX: its bytes lie at their
// addresses, and what lies below or between the records gets `fill_byte`
// (the value of unused program memory). A name ending in .bin is raw bytes,
// as F5 writes it. Any other text (a source) is refused, so it is never sent
// to the device as if it were code; any other file is raw bytes.
TransferImage read_transfer_image(const std::string& path, std::uint8_t fill_byte);

}  // namespace zorvin::emu
