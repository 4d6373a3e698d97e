#include "asm/ext/data_directive.h"

#include "asm/diagnostics.h"
#include "asm/ext/messages.h"
#include "text/unicode_text.h"

namespace zorvin::asm48::ext {

namespace {

bool is_comma(const Token& t) { return t.kind == TokenKind::Operator && t.text == ","; }

// DATE or TIME, unless the source defined a name of its own so.
const std::string* clock_text(std::span<const Token> item, SymbolSource& symbols, const BuildClock& clock) {
  if (item.size() != 1 || item[0].kind != TokenKind::Name) return nullptr;
  const bool date = word_equals(item[0].text, "date");
  if (!date && !word_equals(item[0].text, "time")) return nullptr;
  if (symbols.value_of(item[0].text)) return nullptr;
  return date ? &clock.date : &clock.time;
}

}  // namespace

void encode_data(std::span<const Token> items, bool words, const TokenLine& line, SymbolSource& symbols,
                 const BuildClock& clock, DataBytes& out) {
  out.bytes.clear();
  out.error.clear();
  out.undefined = {};
  out.warning.clear();
  // The first error ends the line: `return fail(...)`.
  const auto fail = [&out](std::string_view text) { out.error = text; };
  if (items.empty()) return fail(kParameterError);
  std::size_t start = 0;
  for (std::size_t i = 0; i <= items.size(); ++i) {
    if (i < items.size() && !is_comma(items[i])) continue;
    const auto item = items.subspan(start, i - start);
    start = i + 1;
    if (item.empty()) return fail(kParameterError);
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
      if (words) return fail(kParameterError);
      for (char32_t c : text) {
        if (c > 0xFF) return fail(message(kValueRange, "Zeichen " + std::to_string(c) + " (erlaubt 0 bis 255)"));
        out.bytes.push_back(static_cast<std::uint8_t>(c));
      }
      continue;
    }
    const Evaluation e = evaluate(item, symbols);
    if (!e.error.empty()) return fail(e.error);
    if (out.undefined.empty()) out.undefined = e.undefined;
    const long low = words ? -32768 : -128;
    const long high = words ? 65535 : 255;
    // Where the convention cuts a wide value to its low byte, a word is
    // cut to its low 16 bits the same way.
    if ((e.value < low || e.value > high) && symbols.convention().low_byte_of_wide) {
      if (out.warning.empty()) out.warning = message(words ? kLowWordTaken : kLowByteTaken, std::to_string(e.value));
    } else if (e.value < low || e.value > high) {
      return fail(range_message(e.value, low, high));
    }
    out.bytes.push_back(static_cast<std::uint8_t>(e.value & 0xFF));
    if (words) out.bytes.push_back(static_cast<std::uint8_t>((e.value >> 8) & 0xFF));
  }
}

}  // namespace zorvin::asm48::ext
