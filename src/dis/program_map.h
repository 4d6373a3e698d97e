// Code told apart from data: the program is followed from its entry points
// (reset, the two interrupt vectors, the user's own) through every jump,
// call and conditional jump it reaches, with the memory bank that sel mb0 /
// sel mb1 chose along the way. Bytes no path reaches stay data.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "dis/opcode_map.h"

namespace zorvin::dis {

enum class ByteRole : std::uint8_t { Data, Opcode, Operand };

// A page that jmpp @a or movp a,@a / movp3 a,@a reads.
struct TablePage {
  std::int32_t reader = 0;      // address of the (first) instruction that reads it
  std::string_view mnemonic;    // "movp", "movp3" or "jmpp"
};

struct ProgramMap {
  std::int32_t base = 0;              // address of the first image byte
  std::vector<ByteRole> roles;        // one per image byte
  std::vector<std::int32_t> targets;  // per image byte: the target of the jump starting there, else -1
  std::vector<bool> labelled;         // per image byte: a jump or an entry leads there
  std::map<std::int32_t, TablePage> tables;  // page start address -> who reads it

  std::int32_t end() const { return base + static_cast<std::int32_t>(roles.size()); }
  bool inside(std::int32_t address) const { return address >= base && address < end(); }
  std::size_t index(std::int32_t address) const { return static_cast<std::size_t>(address - base); }
};

// `entries` are the user's entry points (addresses outside the image are
// left out); 000H, 003H and 007H are always followed when the image holds
// them, and the first byte of an image that starts above them.
ProgramMap follow_program(std::int32_t base, std::span<const std::uint8_t> bytes, const OpcodeMap& opcodes,
                          bool has_banks, std::span<const std::int32_t> entries);

}  // namespace zorvin::dis
