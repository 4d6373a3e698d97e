// The listing pane's rows: address and code bytes of every line that holds
// code, in table order (address order after a successful run). Formatted
// only when someone shows them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "asm/line_record.h"

namespace zorvin::output {

inline constexpr std::string_view kListingHeader = "Adr Opcode";

// Header "Adr Opcode", then per code line "AAA XX YY", or "AAA XX" and three
// blanks for one byte. A line of more than two bytes continues on further
// rows "AAA XX YY" at the following addresses.
std::vector<std::string> listing_rows(const asm48::LineTable& table);

}  // namespace zorvin::output
