// Numeric operands: decimal, hexadecimal ("0x1F", "%1F", "1Fh") and
// character literals ('A'), and the "0"/"1" texts that code bytes travel in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zorvin::asm48 {

// True when the text, with every "#" ignored, is a number in one notation.
bool is_number(std::string_view text);

// True for exactly three characters with "'" first and last.
bool is_char_literal(std::string_view text);

// Value of a text that passed one of the checks above. Digits are read until
// the first character that does not belong to the notation. Values from
// 80000000h to FFFFFFFFh are negative; a number beyond 32 bits (4294967296
// and more) has no value: it is out of every range, never its low bits.
std::optional<std::int32_t> number_value(std::string_view text);

// Binary digits of a non-negative value, padded with "0" to the width.
std::string to_bits(std::int32_t value, int width);

// Reverse of to_bits for code bytes: an 8-character "0"/"1" text as a number.
std::uint8_t bits_value(std::string_view bits);

// The text with every "#" taken out: the text itself or a cut of it when
// "#" stands only in front (the usual immediate), else a copy in `storage`.
std::string_view without_hash(std::string_view text, std::string& storage);

}  // namespace zorvin::asm48
