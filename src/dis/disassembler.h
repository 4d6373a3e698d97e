// Turns a program memory image back into a source of the extended dialect
// (a `cpu` line first) that assembles to the same image, every byte, when
// assembled with the fill byte it names: code where the program leads,
// `db` lines elsewhere, `org` over long gaps of the fill byte.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorvin::dis {

struct DisassemblyOptions {
  std::string cpu = "8048";           // operand of the cpu line: the instruction set and memory size
  std::vector<std::int32_t> entries;  // more entry points besides 000H, 003H and 007H
  std::uint8_t fill_byte = 0x00;      // the assembler's fill: runs of it become org
  std::string title;                  // shown in the head comment (the image's file name), may be empty
};

struct Disassembly {
  std::string text;   // the source, lines ended by LF
  std::string error;  // German message when the image cannot be disassembled
  bool ok() const { return error.empty(); }
};

// `bytes` lie at `base` on. Fails for an unknown cpu, an empty image and an
// image beyond the part's program memory.
Disassembly disassemble(std::int32_t base, std::span<const std::uint8_t> bytes, const DisassemblyOptions& options);

// An address of program memory (0 to 0FFFh) as the sources write numbers:
// 0100h, 0x100, 256. None for any other text, also for a number beyond
// 32 bits, whose low bits could look like an address.
std::optional<std::int32_t> program_address(std::string_view text);

}  // namespace zorvin::dis
