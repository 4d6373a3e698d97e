// The values of a db or dw line: expressions, strings ("text" or 'text',
// one byte per character) and DATE / TIME; dw stores low byte first.
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
};

// Fills `out`, whose storage a caller may reuse from line to line.
void encode_data(std::span<const Token> items, bool words, const TokenLine& line, SymbolSource& symbols,
                 const BuildClock& clock, DataBytes& out);

}  // namespace zorvin::asm48::ext
