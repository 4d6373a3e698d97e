// The members of the 8048 family the simulator runs: their internal RAM,
// their program memory and whether they are UPI-41/42 parts (host data bus
// instead of external memory, a partly different instruction set).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zorvin::sim {

enum class Variant : std::uint8_t { I8048, I8049, I8050, I8035, I8039, I8040, I8041, I8042, I8741, I8742 };

struct VariantInfo {
  std::string_view name;  // "8048"
  int ram_size;           // internal RAM in bytes: 64, 128 or 256
  int program_size;       // program memory in bytes: 4096 (two banks of 2 KiB), 1024 or 2048
  bool upi;               // UPI-41/42 part
};

const VariantInfo& info(Variant variant);

// The part a name like "8049" or "8742" stands for (surrounding blanks are
// ignored), or none.
std::optional<Variant> variant_named(std::string_view name);

}  // namespace zorvin::sim
