// A listing for people: every source line in order with the address and the
// code bytes it produced (macro and loop expansions as lines of their own),
// and the symbols with their values. Built only when asked for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zorvin::asm48 {

struct ListingLine {
  std::int32_t line_no = 0;              // source line (the calling line for expansions)
  std::optional<std::int32_t> address;   // where its code (or label) stands
  std::vector<std::uint8_t> bytes;
  std::string text;                      // the line as assembled
  bool expansion = false;                // produced by a macro, loop or include
  bool unlisted = false;                 // left out of the listing file (SB .LI OFF); the debugger still maps it
};

struct ListedSymbol {
  std::string name;
  std::string value;  // "0123H", a register, or the plain dialect's equ text
};

struct SourceListing {
  std::vector<ListingLine> lines;
  std::vector<ListedSymbol> symbols;
};

}  // namespace zorvin::asm48
