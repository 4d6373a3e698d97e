#include "asm/ext/data_directive.h"

#include "asm/diagnostics.h"
#include "asm/ext/messages.h"
#include "text/unicode_text.h"

namespace zorvin::asm48::ext {

namespace {

bool is_comma(const Token& t) { return t.kind == TokenKind::Operator && t.text == ","; }
bool is_op(const Token& t, std::string_view op) { return t.kind == TokenKind::Operator && t.text == op; }

std::uint8_t reversed_bits(std::uint8_t b) {
  std::uint8_t r = 0;
  for (int i = 0; i < 8; ++i) r = static_cast<std::uint8_t>(r | (((b >> i) & 1) << (7 - i)));
  return r;
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// DATE or TIME, unless the source defined a name of its own so.
const std::string* clock_text(std::span<const Token> item, SymbolSource& symbols, const BuildClock& clock) {
  if (item.size() != 1 || item[0].kind != TokenKind::Name) return nullptr;
  const bool date = word_equals(item[0].text, "date");
  if (!date && !word_equals(item[0].text, "time")) return nullptr;
  if (symbols.value_of(item[0].text)) return nullptr;
  return date ? &clock.date : &clock.time;
}

void push_little_endian(std::vector<std::uint8_t>& bytes, std::uint64_t value, int count) {
  for (int i = 0; i < count; ++i) bytes.push_back(static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF));
}

// dt: 18 decimal digits of the magnitude, two to a byte, the lowest first
// (low half the lower digit), then the sign byte.
void push_packed_bcd(std::vector<std::uint8_t>& bytes, std::int32_t value) {
  std::uint64_t magnitude = value < 0 ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(value))
                                      : static_cast<std::uint64_t>(value);
  for (int i = 0; i < 9; ++i) {
    const auto low = static_cast<std::uint8_t>(magnitude % 10);
    magnitude /= 10;
    const auto high = static_cast<std::uint8_t>(magnitude % 10);
    magnitude /= 10;
    bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
  }
  bytes.push_back(value < 0 ? 0x80 : 0x00);
}

// do: the integer as an IEEE 754 binary128 number, which holds it exactly:
// sign, 15 bits of exponent (bias 16383) and 112 bits of fraction, whose
// top bits are all a 32-bit value needs.
void push_quad_float(std::vector<std::uint8_t>& bytes, std::int32_t value) {
  std::uint64_t high = 0;
  if (value != 0) {
    const std::uint64_t magnitude = value < 0 ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(value))
                                              : static_cast<std::uint64_t>(value);
    int top = 63;
    while (((magnitude >> top) & 1) == 0) --top;
    const std::uint64_t fraction = magnitude & ((std::uint64_t{1} << top) - 1);
    high = (value < 0 ? std::uint64_t{1} << 63 : 0) | (static_cast<std::uint64_t>(16383 + top) << 48) |
           (fraction << (48 - top));
  }
  push_little_endian(bytes, 0, 8);
  push_little_endian(bytes, high, 8);
}

// dn: the nibbles two to a byte, the first in the low half.
void pack_nibbles(std::vector<std::uint8_t>& nibbles) {
  std::vector<std::uint8_t> packed((nibbles.size() + 1) / 2, 0);
  for (std::size_t i = 0; i < nibbles.size(); ++i)
    packed[i / 2] = static_cast<std::uint8_t>(packed[i / 2] | (nibbles[i] & 0x0F) << (4 * (i % 2)));
  nibbles = std::move(packed);
}

// More copies than any program memory holds.
constexpr std::int32_t kMaxDuplicates = 65536;

// Where "DUP" stands in an item "count DUP (values)", or 0.
std::size_t dup_at(std::span<const Token> item) {
  if (item.size() < 4 || !is_op(item.back(), ")")) return 0;
  for (std::size_t i = 1; i + 2 < item.size(); ++i)
    if (item[i].kind == TokenKind::Name && word_equals(item[i].text, "dup") && is_op(item[i + 1], "(")) return i;
  return 0;
}

}  // namespace

bool hex_string_bytes(std::string_view text, std::vector<std::uint8_t>& out) {
  out.clear();
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '.' && !out.empty()) ++i;  // 0102.AB: a dot between pairs for reading
    if (i + 1 >= text.size() || hex_digit(text[i]) < 0 || hex_digit(text[i + 1]) < 0) return false;
    out.push_back(static_cast<std::uint8_t>(hex_digit(text[i]) * 16 + hex_digit(text[i + 1])));
    i += 2;
  }
  return !out.empty();
}

// DUPs inside DUPs deeper than this are refused: each level is a call.
constexpr int kMaxDupDepth = 8;

static void encode_items(std::span<const Token> items, DataForm form, const TokenLine& line, SymbolSource& symbols,
                  const BuildClock& clock, DataBytes& out, int dup_depth) {
  const bool words = form == DataForm::Words || form == DataForm::Addresses || form == DataForm::HighFirst;
  // Forms whose items are numbers only: a string there is a mistake.
  const bool numbers_only = words || form == DataForm::Nibbles || form == DataForm::Quads ||
                            form == DataForm::PackedBcd || form == DataForm::QuadFloat;
  out.bytes.clear();
  out.error.clear();
  out.undefined = {};
  out.warning.clear();
  out.counted = false;
  // The first error ends the line: `return fail(...)`.
  const auto fail = [&out](std::string_view text) { out.error = text; };
  if (items.empty()) return fail(kParameterError);
  std::size_t start = 0;
  int depth = 0;  // commas inside parentheses belong to the item (3 DUP (1,2))
  for (std::size_t i = 0; i <= items.size(); ++i) {
    if (i < items.size()) {
      if (is_op(items[i], "(")) ++depth;
      else if (is_op(items[i], ")")) --depth;
      if (depth > 0 || !is_comma(items[i])) continue;
    }
    const auto item = items.subspan(start, i - start);
    start = i + 1;
    if (item.empty()) return fail(kParameterError);
    // count DUP (values): the values that many times.
    if (const std::size_t dup = dup_at(item); dup != 0) {
      out.counted = true;
      const Evaluation count = evaluate(item.first(dup), symbols);
      if (!count.error.empty()) return fail(count.error);
      if (count.value < 0 || count.value > kMaxDuplicates) return fail(range_message(count.value, 0, kMaxDuplicates));
      if (out.undefined.empty()) out.undefined = count.undefined;
      if (dup_depth >= kMaxDupDepth) return fail(kParameterError);
      DataBytes once;
      encode_items(item.subspan(dup + 2, item.size() - dup - 3), form, line, symbols, clock, once, dup_depth + 1);
      if (!once.error.empty()) return fail(once.error);
      if (out.undefined.empty()) out.undefined = once.undefined;
      if (out.warning.empty()) out.warning = once.warning;
      // Nested DUPs multiply: more bytes than any program memory are refused
      // before they are made.
      if (static_cast<std::uint64_t>(count.value) * once.bytes.size() + out.bytes.size() >
          static_cast<std::uint64_t>(kMaxDuplicates))
        return fail(kBeyondProgramMemory);
      for (std::int32_t n = 0; n < count.value; ++n) out.bytes.insert(out.bytes.end(), once.bytes.begin(), once.bytes.end());
      continue;
    }
    // A string of other than one character, or DATE / TIME, gives its bytes.
    std::u32string decoded;
    std::u32string_view text;
    bool is_text = item.size() == 1 && item[0].kind == TokenKind::String && item[0].chars_size != 1;
    if (is_text) {
      text = line.characters_of(item[0]);
    } else if (const std::string* stamp = clock_text(item, symbols, clock)) {
      if (!clock.fault.empty()) return fail(clock.fault);
      decoded = decode_utf8(*stamp);
      text = decoded;
      is_text = true;
    }
    if (is_text) {
      if (numbers_only) return fail(kParameterError);
      for (char32_t c : text) {
        if (c > 0xFF) return fail(message(kValueRange, "Zeichen " + std::to_string(c) + " (erlaubt 0 bis 255)"));
        out.bytes.push_back(static_cast<std::uint8_t>(c));
      }
      continue;
    }
    // "#value": in a byte list the value itself (ASxxxx), in an address
    // list its low byte alone; "/value" there its high byte alone (SB).
    const bool hashed = item.size() > 1 && is_op(item[0], "#") && (form != DataForm::Words);
    const bool one_byte = words && item.size() > 1 && (hashed || is_op(item[0], "/")) && form != DataForm::Words;
    const Evaluation e = evaluate(hashed ? item.subspan(1) : item, symbols);
    if (!e.error.empty()) return fail(e.error);
    if (out.undefined.empty()) out.undefined = e.undefined;
    if (form == DataForm::Longs) {
      for (int shift = 0; shift < 32; shift += 8) out.bytes.push_back(static_cast<std::uint8_t>((e.value >> shift) & 0xFF));
      continue;
    }
    if (form == DataForm::Quads) {
      push_little_endian(out.bytes, static_cast<std::uint64_t>(static_cast<std::int64_t>(e.value)), 8);
      continue;
    }
    if (form == DataForm::PackedBcd) {
      push_packed_bcd(out.bytes, e.value);
      continue;
    }
    if (form == DataForm::QuadFloat) {
      push_quad_float(out.bytes, e.value);
      continue;
    }
    if (form == DataForm::Nibbles) {
      if (e.value < -8 || e.value > 15) return fail(range_message(e.value, -8, 15));
      out.bytes.push_back(static_cast<std::uint8_t>(e.value & 0x0F));  // packed once the line is read
      continue;
    }
    if (one_byte) {
      out.bytes.push_back(static_cast<std::uint8_t>(e.value & 0xFF));
      continue;
    }
    const long low = words ? -32768 : -128;
    const long high = words ? 65535 : 255;
    // Where the convention cuts a wide value to its low byte, a word is
    // cut to its low 16 bits the same way.
    if ((e.value < low || e.value > high) && symbols.convention().low_byte_of_wide) {
      if (out.warning.empty()) out.warning = message(words ? kLowWordTaken : kLowByteTaken, std::to_string(e.value));
    } else if (e.value < low || e.value > high) {
      return fail(range_message(e.value, low, high));
    }
    const auto low_byte = static_cast<std::uint8_t>(e.value & 0xFF);
    const auto high_byte = static_cast<std::uint8_t>((e.value >> 8) & 0xFF);
    if (form == DataForm::HighFirst) out.bytes.push_back(high_byte);
    out.bytes.push_back(form == DataForm::ReversedBits ? reversed_bits(low_byte) : low_byte);
    if (words && form != DataForm::HighFirst) out.bytes.push_back(high_byte);
  }
}

void encode_data(std::span<const Token> items, DataForm form, const TokenLine& line, SymbolSource& symbols,
                 const BuildClock& clock, DataBytes& out) {
  encode_items(items, form, line, symbols, clock, out, 0);
  if (form == DataForm::Nibbles && out.error.empty()) pack_nibbles(out.bytes);
}

}  // namespace zorvin::asm48::ext
