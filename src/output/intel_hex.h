// Intel HEX, what EPROM programmers read: the used range of the code image
// (lowest to highest address holding code, gaps with the fill byte) in data
// records of 16 bytes, then the end record ":00000001FF".
#pragma once

#include <cstdint>
#include <string>

#include "asm/line_record.h"

namespace zorvin::output {

// The text of the file, lines ended by CR LF as the format's tools expect.
std::string intel_hex(const asm48::LineTable& table, std::uint8_t fill_byte);

}  // namespace zorvin::output
