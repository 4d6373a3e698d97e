// Splits one source line of the extended dialect into tokens. A ";" outside
// quotes ends the line, so ';', ',' and ':' may stand in character constants.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "asm/dialect/convention.h"
#include "text/unicode_text.h"

namespace zorvin::asm48::ext {

enum class TokenKind { Name, Number, String, Operator, Bad };

struct Token {
  std::string_view text;          // as written (a view into the line)
  std::uint32_t start = 0;        // byte offset in the line
  std::int32_t value = 0;         // Number: its value; String: its first character
  std::uint32_t chars_at = 0;     // String: its decoded characters in TokenLine::characters
  std::uint32_t chars_size = 0;
  TokenKind kind = TokenKind::Bad;
  bool malformed = false;         // Number: no number in any notation
  bool too_wide = false;          // Number: more than 32 bits
  bool lower = false;             // Name: lower-case ASCII only, so folding leaves it as it is
};

struct TokenLine {
  std::vector<Token> tokens;
  std::u32string characters;  // the strings' characters, escapes applied
  std::size_t code_end = 0;   // where the comment starts (or the line ends)
  bool has_bad = false;       // a token is Bad (an unclosed quote)
  bool high_bit_text = false; // .AS -/text/: every byte of the line with bit 7 set

  std::u32string_view characters_of(const Token& t) const {
    return std::u32string_view(characters).substr(t.chars_at, t.chars_size);
  }
};

// The macro assembler's convention unless another is given.
const Convention& default_convention();

TokenLine tokenize(std::string_view line, const Convention& rules = default_convention());
// The same into a line whose token storage is reused; from `from` on when
// the caller knows the bytes before it to be blanks.
void tokenize_into(std::string_view line, TokenLine& out, std::size_t from = 0,
                   const Convention& rules = default_convention());

// The text without the blanks and tabs around it.
inline std::string_view trim_blanks(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// True when the text equals the lower-case ASCII word, ignoring case. The
// length first: it rules out nearly every text without a call.
inline bool word_equals(std::string_view text, std::string_view lower_word) {
  return text.size() == lower_word.size() && equals_folded(text, lower_word);
}

// What each byte can be in a line, looked up once per byte.
enum CharClass : std::uint8_t {
  kBlankClass = 1,      // space, tab and the other ASCII white space
  kNameStartClass = 2,  // letters, "_", ".", "?" and every byte of a UTF-8 sequence
  kNameClass = 4,       // the above and digits
  kAsciiNameClass = 8,  // kNameClass without the UTF-8 bytes: what a number may hold
  kFoldClass = 16,      // capitals and UTF-8 bytes: what folding may change
};
inline constexpr auto kCharClasses = [] {
  std::array<std::uint8_t, 256> classes{};
  for (int c = 0; c < 256; ++c) {
    const bool start = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '.' || c == '?' || c >= 0x80;
    const bool name = start || (c >= '0' && c <= '9');
    const bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
    const bool folds = (c >= 'A' && c <= 'Z') || c >= 0x80;
    classes[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>((blank ? kBlankClass : 0) | (start ? kNameStartClass : 0) |
                                                                     (name ? kNameClass : 0) |
                                                                     (name && c < 0x80 ? kAsciiNameClass : 0) |
                                                                     (folds ? kFoldClass : 0));
  }
  return classes;
}();
inline bool has_class(char c, CharClass wanted) { return (kCharClasses[static_cast<unsigned char>(c)] & wanted) != 0; }

// Position of the first byte from `pos` on that is not a blank. Lines are
// indented and their comments set off by long runs of spaces: one compare
// passes eight of them.
inline std::size_t skip_blanks(std::string_view line, std::size_t pos) {
  while (line.size() - pos >= 8 && line.substr(pos, 8) == "        ") pos += 8;
  while (pos < line.size() && has_class(line[pos], kBlankClass)) ++pos;
  return pos;
}

// Characters a name may start with, and hold after its first one.
inline bool is_name_start(char c) { return has_class(c, kNameStartClass); }
inline bool is_name_char(char c) { return has_class(c, kNameClass); }

// Value of a number written with a digit first ("12", "0FFh", "0101B",
// "17Q", "0x1F") or "%" first ("%1F", hexadecimal); the low 32 bits are
// kept, and `too_wide` (when given) says whether anything above them was
// lost. Returns false when the text is no number in any notation.
bool read_number(std::string_view text, std::int32_t& value, bool* too_wide = nullptr);
// The same with the number forms of a convention ($1F, %0101, @17, 0b0101).
bool read_number_in(std::string_view text, const Convention& rules, std::int32_t& value, bool* too_wide = nullptr);

}  // namespace zorvin::asm48::ext
