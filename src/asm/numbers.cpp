#include "asm/numbers.h"

#include "files/unicode_text.h"

namespace zorvin::asm48 {

namespace {

int digit_value(char32_t c) {
  if (c >= U'0' && c <= U'9') return static_cast<int>(c - U'0');
  if (c >= U'a' && c <= U'f') return static_cast<int>(c - U'a') + 10;
  return 99;
}

bool all_digits(std::u32string_view text, int base) {
  for (char32_t c : text)
    if (digit_value(c) >= base) return false;
  return true;
}

}  // namespace

std::string without_hash(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != '#') out.push_back(c);
  return out;
}

bool is_number(std::string_view text) {
  std::u32string t = decode_utf8(fold_case(without_hash(text)));
  // The cuts below use the length before any mark was taken off, so that a
  // text carrying two hexadecimal marks ("%12h", "0x12h") keeps one of them
  // and fails the digit test.
  const std::size_t full_length = t.size();
  int base = 10;
  if (t.starts_with(U'%')) {
    t.erase(0, 1);
    base = 16;
  }
  if (t.starts_with(U"0x")) {
    const std::size_t keep = full_length - 2;
    if (keep < t.size()) t.erase(0, t.size() - keep);
    base = 16;
  }
  if (t.ends_with(U'h')) {
    t = t.substr(0, full_length - 1);
    base = 16;
  }
  return !t.empty() && all_digits(t, base);
}

bool is_char_literal(std::string_view text) {
  const std::u32string t = decode_utf8(text);
  return t.size() == 3 && t.front() == U'\'' && t.back() == U'\'';
}

std::int32_t number_value(std::string_view text) {
  if (is_char_literal(text)) return static_cast<std::int32_t>(decode_utf8(text)[1]);
  std::u32string body = decode_utf8(fold_case(text));
  int base = 16;
  if (body.ends_with(U'h'))
    body.pop_back();
  else if (body.starts_with(U'%'))
    body.erase(0, 1);
  else if (body.starts_with(U"0x"))
    body.erase(0, 2);
  else
    base = 10;
  // Unsigned arithmetic wraps instead of overflowing; the low 32 bits of the
  // wrapped value equal those of the exact one.
  std::uint64_t value = 0;
  for (char32_t c : body) {
    const int digit = digit_value(c);
    if (digit >= base) break;
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value & 0xFFFFFFFFu));
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
