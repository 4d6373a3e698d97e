#include "settings/number_text.h"

#include <limits>

namespace zorvin::settings {

namespace {

// The characters isspace accepts in the "C" locale.
bool is_c_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

std::int32_t parse_number(std::string_view text, bool allow_prefix) {
  std::size_t pos = 0;
  while (pos < text.size() && is_c_space(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  int base = 10;
  if (allow_prefix && pos < text.size() && (text[pos] == '$' || text[pos] == '%')) {
    base = text[pos] == '$' ? 16 : 2;
    ++pos;
  }
  // Once the magnitude passes the 32-bit range it stops growing: the result
  // is clamped anyway, and the 64-bit sum cannot overflow.
  constexpr std::int64_t kLimit = std::int64_t{1} << 32;
  std::int64_t magnitude = 0;
  for (; pos < text.size() && digit_value(text[pos]) < base; ++pos) {
    if (magnitude < kLimit) magnitude = magnitude * base + digit_value(text[pos]);
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

}  // namespace

std::int32_t parse_decimal(std::string_view text) { return parse_number(text, false); }

std::int32_t parse_prefixed_number(std::string_view text) { return parse_number(text, true); }

}  // namespace zorvin::settings
