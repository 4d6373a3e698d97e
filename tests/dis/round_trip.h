// Assembling a disassembled source again, in this process, to compare the
// image it gives with the one it came from.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "asm/assembler.h"
#include "output/output_writer.h"

namespace zorvin::test {

struct Reassembled {
  std::vector<std::uint8_t> image;    // from address 0, as long as the binary file would be
  std::vector<std::string> errors;
};

inline Reassembled reassemble(const std::string& source, std::uint8_t fill_byte) {
  asm48::Assembler assembler;
  const asm48::AssemblyResult result = assembler.run(source);
  Reassembled out;
  out.errors = result.error_lines;
  if (!result.ok()) return out;
  const output::CodeImage image = output::build_image(assembler.table(), fill_byte);
  out.image.assign(image.bytes.begin(), image.bytes.begin() + static_cast<std::ptrdiff_t>(image.length));
  return out;
}

// The binary file an image at `base` becomes once assembled: fill below it.
inline std::vector<std::uint8_t> placed(std::int32_t base, std::span<const std::uint8_t> bytes, std::uint8_t fill_byte) {
  std::vector<std::uint8_t> out(static_cast<std::size_t>(base), fill_byte);
  out.insert(out.end(), bytes.begin(), bytes.end());
  return out;
}

}  // namespace zorvin::test
