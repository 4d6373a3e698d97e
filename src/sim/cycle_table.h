// Machine cycles of every opcode, per instruction set: two for every
// two-byte instruction and for the one-byte ones that reach the ports, the
// external memory or the program memory (in, outl, ins, movd, anld, orld,
// movx, movp, movp3, jmpp, ret, retr), one for the rest. Undefined opcodes
// read 0.
#pragma once

#include <array>
#include <cstdint>

namespace zorvin::sim {

std::uint8_t mcs48_cycles(std::uint8_t opcode);
std::uint8_t upi41_cycles(std::uint8_t opcode);

// Both tables, for the interpreter's inner loop.
const std::array<std::uint8_t, 256>& cycle_table(bool upi);

}  // namespace zorvin::sim
