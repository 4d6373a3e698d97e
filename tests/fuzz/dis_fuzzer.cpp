// Fuzz target: the disassembler and the Intel HEX reader. The first byte
// picks the part, the fill byte and where the image lies; the rest is the
// image. Beyond "no crash": the source assembles back to the identical
// image, and a HEX text never gives bytes outside program memory.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "asm/assembler.h"
#include "dis/disassembler.h"
#include "dis/image_file.h"
#include "output/output_writer.h"
#include "fuzz_support.h"

namespace {

using namespace zorvin;
using fuzz::require;

void check_round_trip(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return;
  const std::uint8_t control = data[0];
  dis::DisassemblyOptions options;
  options.cpu = (control & 1) ? "8042" : "8048";  // 2 KiB and 4 KiB
  options.fill_byte = (control & 2) ? 0xFF : 0x00;
  const std::int32_t memory = (control & 1) ? 2048 : 4096;
  const std::int32_t base = (control & 4) ? static_cast<std::int32_t>(control >> 3) * 64 % memory : 0;
  const std::size_t length = std::min(size - 1, static_cast<std::size_t>(memory - base));
  if (control & 0x80) options.entries.push_back(base + static_cast<std::int32_t>(data[1]));
  const std::vector<std::uint8_t> image(data + 1, data + 1 + length);
  const dis::Disassembly source = dis::disassemble(base, image, options);
  require(source.ok(), "an image inside program memory disassembles", source.error);

  asm48::Assembler assembler;
  const asm48::AssemblyResult result = assembler.run(source.text);
  require(result.ok(), "the source assembles", result.error_lines.empty() ? "" : result.error_lines.front());
  const output::CodeImage again = output::build_image(assembler.table(), options.fill_byte);
  require(again.length == static_cast<std::size_t>(base) + image.size(), "same image length", source.text);
  for (std::int32_t i = 0; i < base; ++i) require(again.bytes[static_cast<std::size_t>(i)] == options.fill_byte, "fill below the base");
  for (std::size_t i = 0; i < image.size(); ++i)
    require(again.bytes[static_cast<std::size_t>(base) + i] == image[i], "same bytes", source.text);
}

void check_hex(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const dis::ImageFile image = dis::parse_intel_hex(text, 0xFF);
  if (!image.ok()) return;
  require(!image.bytes.empty(), "a HEX image holds bytes");
  require(image.base >= 0 && image.base + image.bytes.size() <= dis::kMaxImageBytes, "inside program memory");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  check_round_trip(data, size);
  check_hex(data, size);
  return 0;
}
