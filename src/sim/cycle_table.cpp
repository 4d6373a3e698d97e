#include "sim/cycle_table.h"

#include <initializer_list>

namespace zorvin::sim {

namespace {

using Table = std::array<std::uint8_t, 256>;

constexpr void set(Table& table, std::initializer_list<int> opcodes, std::uint8_t cycles) {
  for (const int opcode : opcodes) table[static_cast<std::size_t>(opcode)] = cycles;
}
constexpr void set_range(Table& table, int first, int last, std::uint8_t cycles) {
  for (int opcode = first; opcode <= last; ++opcode) table[static_cast<std::size_t>(opcode)] = cycles;
}

// The opcodes both sets share, as in the MCS-48 manual's instruction summary.
constexpr Table common() {
  Table t{};
  // Accumulator and register operations, one byte, one cycle.
  set(t, {0x00, 0x05, 0x07, 0x15, 0x17, 0x25, 0x27, 0x35, 0x37, 0x42, 0x45, 0x47, 0x55, 0x57, 0x62, 0x65,
          0x67, 0x77, 0x85, 0x95, 0x97, 0xA5, 0xA7, 0xB5, 0xC5, 0xC7, 0xD5, 0xD7, 0xE7, 0xF7},
      1);
  for (int base : {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0xA0, 0xD0, 0xF0}) set(t, {base, base + 1}, 1);  // @Rr
  for (int base : {0x18, 0x28, 0x48, 0x58, 0x68, 0x78, 0xA8, 0xC8, 0xD8, 0xF8}) set_range(t, base, base + 7, 1);
  // Immediates, jumps and calls: two bytes, two cycles.
  set(t, {0x03, 0x13, 0x23, 0x43, 0x53, 0xD3, 0xB0, 0xB1}, 2);
  set_range(t, 0xB8, 0xBF, 2);
  for (int page = 0; page < 8; ++page) set(t, {page * 0x20 + 0x04, page * 0x20 + 0x14, page * 0x20 + 0x12}, 2);
  set(t, {0x16, 0x26, 0x36, 0x46, 0x56, 0x76, 0x96, 0xB6, 0xC6, 0xE6, 0xF6}, 2);  // conditional jumps
  set_range(t, 0xE8, 0xEF, 2);                                                   // djnz
  // Ports, program memory and returns: one byte, two cycles.
  set(t, {0x09, 0x0A, 0x39, 0x3A, 0x89, 0x8A, 0x99, 0x9A, 0xA3, 0xE3, 0xB3, 0x83, 0x93}, 2);
  set_range(t, 0x0C, 0x0F, 2);  // movd a,Pp
  set_range(t, 0x3C, 0x3F, 2);  // movd Pp,a
  set_range(t, 0x8C, 0x8F, 2);  // orld
  set_range(t, 0x9C, 0x9F, 2);  // anld
  return t;
}

constexpr Table mcs48() {
  Table t = common();
  set(t, {0x02, 0x08, 0x80, 0x81, 0x88, 0x90, 0x91, 0x98, 0x86}, 2);  // bus, movx, jni
  set(t, {0x75, 0xE5, 0xF5}, 1);                                     // ent0 clk, sel mb0/mb1
  return t;
}

constexpr Table upi41() {
  Table t = common();
  set(t, {0x02, 0x22, 0x90, 0xE5, 0xF5}, 1);  // out dbb,a; in a,dbb; mov sts,a; en dma; en flags
  set(t, {0x86, 0xD6}, 2);                    // jobf, jnibf
  return t;
}

constexpr Table kMcs48 = mcs48();
constexpr Table kUpi41 = upi41();

}  // namespace

std::uint8_t mcs48_cycles(std::uint8_t opcode) { return kMcs48[opcode]; }
std::uint8_t upi41_cycles(std::uint8_t opcode) { return kUpi41[opcode]; }
const std::array<std::uint8_t, 256>& cycle_table(bool upi) { return upi ? kUpi41 : kMcs48; }

}  // namespace zorvin::sim
