// SB-Assembler's convention (a `.cr 8048` line): two-letter dot directives,
// $1F hexadecimal, %0101 binary, .name labels local to the last ordinary
// label, expressions read left to right with `\` as remainder, `^` and `|`
// as or, `!` as exclusive or and comparisons giving -1; / before a value
// takes its high byte. A value too large for a byte is cut to its low byte,
// with a warning. Fields end at blanks: text after the operand field is a
// comment, with or without ";".
#include <array>

#include "asm/dialect/dialects.h"

namespace zorvin::asm48 {

namespace {

constexpr std::array<DirectiveAlias, 22> kDirectives = {{
    {".ma", "macro"},    {".em", "endm"},
    {".cr", "cpu"},      {".tf", "ignore"},   {".or", "org"},      {".eq", "equ"},      {".se", "set"},
    {".db", "db"},       {".dw", "dw"},       {".da", "dw"},       {".as", "db"},       {".az", "asciz"},
    {".bs", "ds"},       {".no", "fill_to"},  {".in", "include"},  {".do", "if"},       {".el", "else"},
    {".fi", "endif"},    {".ec", "end"},      {".en", "end"},      {".li", "ignore"},   {".lf", "ignore"},
}};

}  // namespace

const Convention& sbasm_convention() {
  static const Convention convention = [] {
    Convention c;
    c.id = DialectId::SbAsm;
    c.name = "SB-Assembler";
    c.option = "sbasm";
    c.dollar_hex = true;
    c.percent_binary = true;
    c.local_dot = true;
    c.slash_high = true;
    c.numbered_macros = true;
    c.bang_xor = true;
    c.caret_or = true;
    c.backslash_mod = true;
    c.left_to_right = true;
    c.true_is_minus_one = true;
    c.low_byte_of_wide = true;
    c.comment_after_operands = true;
    c.directives = kDirectives;
    return c;
  }();
  return convention;
}

}  // namespace zorvin::asm48
