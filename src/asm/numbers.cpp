#include "asm/numbers.h"

#include <optional>

#include "text/unicode_text.h"

namespace zorvin::asm48 {

namespace {

// The rules below work on characters. Pure ASCII text is its own sequence of
// characters, so it is read as bytes without decoding; any other text is
// decoded first. Both go through the same templates.
bool is_ascii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// The notations are read without regard to case: an ASCII text is read as
// written, not lower-cased first.
int digit_value(char32_t c) {
  if (c >= U'0' && c <= U'9') return static_cast<int>(c - U'0');
  if (c >= U'a' && c <= U'f') return static_cast<int>(c - U'a') + 10;
  if (c >= U'A' && c <= U'F') return static_cast<int>(c - U'A') + 10;
  return 99;
}

template <class Char>
bool is_letter(Char c, char lower) {
  return c == Char(lower) || c == Char(lower - 32);
}

template <class Char>
bool starts_with_0x(std::basic_string_view<Char> t) {
  return t.size() >= 2 && t[0] == Char('0') && is_letter(t[1], 'x');
}

template <class Char>
bool ends_with_h(std::basic_string_view<Char> t) {
  return !t.empty() && is_letter(t.back(), 'h');
}

template <class Char>
bool all_digits(std::basic_string_view<Char> text, int base) {
  for (Char c : text)
    if (digit_value(static_cast<char32_t>(c)) >= base) return false;
  return true;
}

// `t`: the text without "#", as characters.
template <class Char>
bool is_number_in(std::basic_string_view<Char> t) {
  // The cuts below use the length before any mark was taken off, so that a
  // text carrying two hexadecimal marks ("%12h", "0x12h") keeps one of them
  // and fails the digit test.
  const std::size_t full_length = t.size();
  int base = 10;
  if (t.starts_with(Char('%'))) {
    t.remove_prefix(1);
    base = 16;
  }
  if (starts_with_0x(t)) {
    const std::size_t keep = full_length - 2;
    if (keep < t.size()) t.remove_prefix(t.size() - keep);
    base = 16;
  }
  if (ends_with_h(t)) {
    t = t.substr(0, full_length - 1);
    base = 16;
  }
  return !t.empty() && all_digits(t, base);
}

// `body`: the text, as characters. Empty when the digits go beyond 32 bits.
template <class Char>
std::optional<std::int32_t> value_in(std::basic_string_view<Char> body) {
  int base = 16;
  if (ends_with_h(body))
    body.remove_suffix(1);
  else if (body.starts_with(Char('%')))
    body.remove_prefix(1);
  else if (starts_with_0x(body))
    body.remove_prefix(2);
  else
    base = 10;
  std::uint64_t value = 0;
  for (Char c : body) {
    const int digit = digit_value(static_cast<char32_t>(c));
    if (digit >= base) break;
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    // Checked at every digit, the value never comes near 64 bits.
    if (value > 0xFFFFFFFFu) return std::nullopt;
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

}  // namespace

std::string_view without_hash(std::string_view text, std::string& storage) {
  const std::size_t first = text.find('#');
  if (first == std::string_view::npos) return text;
  if (first == 0 && text.find('#', 1) == std::string_view::npos) return text.substr(1);
  storage.clear();
  for (char c : text)
    if (c != '#') storage.push_back(c);
  return storage;
}

bool is_number(std::string_view text) {
  std::string storage;
  const std::string_view digits = without_hash(text, storage);
  if (is_ascii(digits)) return is_number_in(digits);
  return is_number_in(std::u32string_view(decode_utf8(fold_case(digits))));
}

bool is_char_literal(std::string_view text) {
  if (is_ascii(text)) return text.size() == 3 && text.front() == '\'' && text.back() == '\'';
  const std::u32string t = decode_utf8(text);
  return t.size() == 3 && t.front() == U'\'' && t.back() == U'\'';
}

std::optional<std::int32_t> number_value(std::string_view text) {
  if (is_char_literal(text))
    return is_ascii(text) ? static_cast<std::int32_t>(text[1]) : static_cast<std::int32_t>(decode_utf8(text)[1]);
  if (is_ascii(text)) return value_in(text);
  return value_in(std::u32string_view(decode_utf8(fold_case(text))));
}

std::string to_bits(std::int32_t value, int width) {
  auto rest = static_cast<std::uint32_t>(value);
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + (rest & 1u)));
    rest >>= 1;
  } while (rest != 0);
  if (static_cast<int>(digits.size()) < width)
    digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
  return digits;
}

std::uint8_t bits_value(std::string_view bits) {
  unsigned value = 0;
  for (char c : bits) value = ((value << 1) | (c == '1' ? 1u : 0u)) & 0xFFu;
  return static_cast<std::uint8_t>(value);
}

}  // namespace zorvin::asm48
