// The values of a data line: expressions, strings ("text" or 'text', one
// byte per character) and DATE / TIME, in one of the conventions' forms.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "asm/ext/build_clock.h"
#include "asm/ext/expression.h"
#include "asm/ext/lexer.h"

namespace zorvin::asm48::ext {

struct DataBytes {
  std::vector<std::uint8_t> bytes;
  std::string error;      // message text of the first value that does not fit; empty when all do
  std::string_view undefined;  // a name that had no value (it counts as 0), in the tokens' line
  std::string warning;    // a value cut to its low byte, where the convention does so
  bool counted = false;   // a DUP count set the length: a value read later may change it
};

enum class DataForm : std::uint8_t {
  Bytes,         // db; "#value" is the value (ASxxxx)
  Words,         // dw: low byte first
  Addresses,     // SB .DA: words low byte first, "#value" its low byte alone, "/value" its high byte alone
  HighFirst,     // SB .DR: as .DA, high byte first
  Longs,         // SB .DL: 32 bits, lowest byte first
  ReversedBits,  // asm48 .dbr: bytes with their bit order reversed
  Nibbles,       // dn: 4 bits each, two to a byte, the first in the low half
  Quads,         // dq: 64 bits, lowest byte first
  PackedBcd,     // dt: 18 decimal digits, two to a byte, lowest first, then a sign byte (80H: negative)
  QuadFloat,     // do: the value as an IEEE 754 binary128 number, lowest byte first
};

// Fills `out`, whose storage a caller may reuse from line to line.
void encode_data(std::span<const Token> items, DataForm form, const TokenLine& line, SymbolSource& symbols,
                 const BuildClock& clock, DataBytes& out);

// The bytes of a hex string (SB .HS 0102AB; dots between pairs allowed),
// or false when the text is none.
bool hex_string_bytes(std::string_view text, std::vector<std::uint8_t>& out);

}  // namespace zorvin::asm48::ext
