#include "sim/variant.h"

#include <array>

#include "asm/parts.h"

namespace zorvin::sim {

namespace {

// The 8048, 8049 and 8050 and their ROM-less twins 8035, 8039 and 8040
// address 4 KiB of program memory in two banks; the UPI parts have 1 or
// 2 KiB on the chip and no external program memory.
constexpr std::array<VariantInfo, 10> kVariants = {{
    {"8048", 64, 4096, false},
    {"8049", 128, 4096, false},
    {"8050", 256, 4096, false},
    {"8035", 64, 4096, false},
    {"8039", 128, 4096, false},
    {"8040", 256, 4096, false},
    {"8041", 64, 1024, true},
    {"8042", 128, 2048, true},
    {"8741", 64, 1024, true},
    {"8742", 128, 2048, true},
}};

// The assembler and the disassembler take the sizes from asm/parts.h: a
// part holds the same memory in all three.
static_assert([] {
  for (const VariantInfo& v : kVariants) {
    const auto part = asm48::part_named(v.name);
    if (!part || part->program_memory != v.program_size || part->ram_size != v.ram_size) return false;
  }
  return true;
}());

}  // namespace

const VariantInfo& info(Variant variant) { return kVariants[static_cast<std::size_t>(variant)]; }

std::optional<Variant> variant_named(std::string_view name) {
  while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.remove_prefix(1);
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
  for (std::size_t i = 0; i < kVariants.size(); ++i)
    if (kVariants[i].name == name) return static_cast<Variant>(i);
  return std::nullopt;
}

}  // namespace zorvin::sim
