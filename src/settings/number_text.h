// Numbers read from settings values. Both readers work alike on every
// processor and in every locale; results beyond the 32-bit range are clamped
// to its ends, as strtol does with a 32-bit long.
#pragma once

#include <cstdint>
#include <string_view>

namespace zorvin::settings {

// Reads like strtol with base 10: leading white space, an optional sign,
// then decimal digits up to the first other character. No digits gives 0.
std::int32_t parse_decimal(std::string_view text);

// As parse_decimal, but the digits may also be "$" and hexadecimal digits
// or "%" and binary digits.
std::int32_t parse_prefixed_number(std::string_view text);

}  // namespace zorvin::settings
