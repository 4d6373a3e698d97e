// Hashing for the assembler's small open-addressing tables.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zorvin::asm48 {

// FNV-1a over bytes: short names hash several times faster this way than
// with the library's text hash. Start from kFnvBasis, step once a byte.
inline constexpr std::uint64_t kFnvBasis = 0xCBF29CE484222325u;
constexpr std::uint64_t fnv1a_step(std::uint64_t hash, unsigned char byte) { return (hash ^ byte) * 0x100000001B3u; }

// Multiplying by this odd constant spreads keys that differ in a few bits
// only (such as packed short words) over the top bits.
inline constexpr std::uint64_t kSpread = 0x9E3779B97F4A7C15u;

// Slot of a 64-bit key in a table of 2^bits slots.
constexpr std::size_t key_slot(std::uint64_t key, int bits) {
  return static_cast<std::size_t>((key * kSpread) >> (64 - bits));
}

}  // namespace zorvin::asm48
