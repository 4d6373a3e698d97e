// Values as the debugger window shows them and reads them back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zorvin::app {

// "3F" (digits: 2 for a byte, 3 for an address).
std::string hex_text(unsigned value, int digits);
// A value typed in hexadecimal ("3F", "3fh", "0x3F", "3FH"), at most `max`;
// none for anything else.
std::optional<unsigned> parse_hex(std::string_view text, unsigned max);
// Time in German notation: "2,5 µs", "12,345 ms", "1,234567 s".
std::string time_text(double seconds);
// A crystal frequency typed in MHz ("6", "11", "3,579545", "3.579545") as
// Hz, between 1 kHz and 100 MHz.
std::optional<std::int32_t> parse_mhz(std::string_view text);
// "6", "3,579545".
std::string mhz_text(std::int32_t hz);

}  // namespace zorvin::app
