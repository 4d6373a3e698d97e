// The parts of the 8048 family by name: their instruction set, internal RAM
// and program memory. One table for the assembler, the disassembler and
// the simulator, so that all three hold the same size for a part.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "asm/statement_encoder.h"

namespace zorvin::asm48 {

struct Part {
  std::string_view name;       // "8048"
  InstructionSet set;
  int ram_size;                // internal RAM in bytes
  std::int32_t program_memory; // bytes the part addresses
};

// The 8048, 8049 and 8050, their EPROM (87xx), ROM-less (8035, 8039, 8040)
// and CMOS (80Cxx) kin address 4 KiB in two banks of 2 KiB; the UPI parts
// have their program memory on the chip only: 1 KiB on the 8041 and 8741,
// 2 KiB on the 8042 and 8742; the 8021 has 1 KiB, the 8022 2 KiB. Names
// are folded: "80c48".
inline constexpr std::array<Part, 19> kParts = {{
    {"8048", InstructionSet::Mcs48, 64, 4096},
    {"8049", InstructionSet::Mcs48, 128, 4096},
    {"8050", InstructionSet::Mcs48, 256, 4096},
    {"8035", InstructionSet::Mcs48, 64, 4096},
    {"8039", InstructionSet::Mcs48, 128, 4096},
    {"8040", InstructionSet::Mcs48, 256, 4096},
    {"8041", InstructionSet::Upi41, 64, 1024},
    {"8042", InstructionSet::Upi41, 128, 2048},
    {"8741", InstructionSet::Upi41, 64, 1024},
    {"8742", InstructionSet::Upi41, 128, 2048},
    {"8748", InstructionSet::Mcs48, 64, 4096},
    {"8749", InstructionSet::Mcs48, 128, 4096},
    {"8021", InstructionSet::Mcs21, 64, 1024},
    {"8022", InstructionSet::Mcs22, 64, 2048},
    {"80c35", InstructionSet::Cmos48, 64, 4096},
    {"80c39", InstructionSet::Cmos48, 128, 4096},
    {"80c48", InstructionSet::Cmos48, 64, 4096},
    {"80c49", InstructionSet::Cmos48, 128, 4096},
    {"80c50", InstructionSet::Cmos48, 256, 4096},
}};

// The part of that name (exactly as in the table), or none.
constexpr std::optional<Part> part_named(std::string_view name) {
  for (const Part& part : kParts)
    if (part.name == name) return part;
  return std::nullopt;
}

}  // namespace zorvin::asm48
