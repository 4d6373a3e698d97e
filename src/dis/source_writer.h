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

}  // namespace zorvin::dis
