// Data directives and the texts of error, warning and message lines.
#include "asm/ext/pass_engine.h"

namespace zorvin::asm48::ext::engine {

// The text of error/warning/message: a quoted string without its quotes.
std::string Pass::user_text(const Statement& s) const {
  if (s.operands.size() == 1 && s.operands[0].kind == TokenKind::String)
    return encode_utf8(std::u32string(line_tokens_.characters_of(s.operands[0])));
  return std::string(s.operand_text);
}

// The form of a data word's values (dw low byte first, SB's .DR high byte
// first, ...).
static DataForm data_form(const FoldedName& word) {
  if (word == "dw"sv || word == ".dw"sv) return DataForm::Words;
  if (word == "da_word"sv) return DataForm::Addresses;
  if (word == "dr_word"sv) return DataForm::HighFirst;
  if (word == "dl_long"sv) return DataForm::Longs;
  if (word == "db_rev"sv) return DataForm::ReversedBits;
  if (word == "dn_nib"sv) return DataForm::Nibbles;
  if (word == "dq_quad"sv) return DataForm::Quads;
  if (word == "dt_bcd"sv) return DataForm::PackedBcd;
  if (word == "do_flt"sv) return DataForm::QuadFloat;
  return DataForm::Bytes;
}

// A number with a decimal point or an exponent, which these data words
// would hold as floating point in the macro assembler.
static const Token* float_operand(std::span<const Token> operands) {
  for (const Token& t : operands)
    if (t.kind == TokenKind::Number && t.malformed && t.text.find('.') != std::string_view::npos) return &t;
  return nullptr;
}

void Pass::data(const Statement& s) {
  if (s.folded == "hex_str"sv) {
    data_.counted = false;
    if (!hex_string_bytes(s.operand_text, data_.bytes)) return report(kParameterError);
    return emit(data_.bytes.data(), data_.bytes.size(), true);
  }
  const DataForm form = data_form(s.folded);
  if (form != DataForm::Bytes && form != DataForm::Words)
    if (const Token* number = float_operand(s.operands)) return report(kNoFloat, number->text);
  encode_data(s.operands, form, line_tokens_, *this, context_.clock, data_);
  if (!data_.error.empty()) return report(data_.error);
  // .AS -/text/: every byte of the line with bit 7 set, values as well.
  if (line_tokens_.high_bit_text)
    for (std::uint8_t& byte : data_.bytes) byte |= 0x80;
  // .AT: the last character with bit 7 inverted marks the end of the text.
  if (s.folded == "at_str"sv && !data_.bytes.empty()) data_.bytes.back() ^= 0x80;
  // Emitted all the same: the length keeps the later addresses right.
  if (!data_.undefined.empty()) report(kUndefinedSymbol, data_.undefined);
  else if (!data_.warning.empty()) warn(data_.warning);
  emit(data_.bytes.data(), data_.bytes.size(), true);
}

void Pass::asciz(const Statement& s) {
  data(s);
  const std::uint8_t zero = 0;
  if (data_.error.empty()) emit(&zero, 1, true);
}

// count, value: the value in that many bytes. No value is a mistake
// rather than a guess at the byte meant.
void Pass::fill(const Statement& s) {
  const auto parts = split_operands(s.operands);
  if (parts.size() != 2) return report(kParameterError);
  const auto count = value(parts[0]);
  const auto byte = value(parts[1]);
  if (!count || !byte || !in_range(*count, 0, memory_size()) || !in_range(*byte, -128, 255)) return;
  if (location_ + *count > memory_size()) return report(kBeyondProgramMemory);
  data_.bytes.assign(static_cast<std::size_t>(*count), static_cast<std::uint8_t>(*byte & 0xFF));
  emit(data_.bytes.data(), data_.bytes.size(), true);
}

// The operands split at top-level commas.
std::vector<std::span<const Token>> Pass::split_operands(std::span<const Token> operands) {
  std::vector<std::span<const Token>> parts;
  int depth = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i < operands.size(); ++i) {
    if (is_op(operands[i], "(")) ++depth;
    else if (is_op(operands[i], ")")) --depth;
    else if (depth == 0 && is_op(operands[i], ",")) {
      parts.push_back(operands.subspan(start, i - start));
      start = i + 1;
    }
  }
  if (!operands.empty()) parts.push_back(operands.subspan(start));
  return parts;
}

void Pass::user_error(const Statement& s) {
  report(message(kUserError, user_text(s)));
  if (s.folded == "fatal"sv) stopped_ = true;
}

void Pass::user_note(const Statement& s) {
  const bool warning = s.folded == "warning"sv;
  warn(message(warning ? kUserWarning : kUserMessage, user_text(s)), warning ? Severity::Warning : Severity::Note);
}

}  // namespace zorvin::asm48::ext::engine
