// Writes the source lines of a followed program: labels, instructions with
// address, bytes and cycles in their comments, db lines and org over gaps.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "dis/opcode_map.h"
#include "dis/program_map.h"

namespace zorvin::dis {

struct WriterSettings {
  std::uint8_t fill_byte = 0x00;  // runs of it long enough become org
};

// Appends the lines for the image to `out`, from the org of its base on.
void write_source(const ProgramMap& map, std::span<const std::uint8_t> bytes, const OpcodeMap& opcodes,
                  const WriterSettings& settings, std::string& out);

// A number the extended dialect reads: hexadecimal with at least `digits`
// digits, a leading 0 before a letter and an "h" ("0FFh", "0123h").
std::string hex_number(unsigned value, int digits);

}  // namespace zorvin::dis
