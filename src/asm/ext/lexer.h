// Splits one source line of the extended dialect into tokens. A ";" outside
// quotes ends the line, so ';', ',' and ':' may stand in character constants.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zorvin::asm48::ext {

enum class TokenKind { Name, Number, String, Operator, Bad };

struct Token {
  TokenKind kind = TokenKind::Bad;
  std::string_view text;      // as written (a view into the line)
  std::size_t start = 0;      // byte offset in the line
  std::int32_t value = 0;     // Number: its value
  std::u32string characters;  // String: the decoded characters, escapes applied
  std::string_view problem;   // Number or Bad: why it cannot be read
};

struct TokenLine {
  std::vector<Token> tokens;
  std::size_t code_end = 0;  // where the comment starts (or the line ends)
};

TokenLine tokenize(std::string_view line);

// Characters a name may hold after its first one.
bool is_name_char(char c);
bool is_name_start(char c);

// Value of a number written with a digit first ("12", "0FFh", "0101B",
// "17Q", "0x1F") or "%" first ("%1F", hexadecimal); the low 32 bits are
// kept. Returns false when the text is no number in any notation.
bool read_number(std::string_view text, std::int32_t& value);

}  // namespace zorvin::asm48::ext
