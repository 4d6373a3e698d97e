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

// Directives that only steer the listing or the output files (.TF target
// file, .LF listing file, .SF symbol file, .EF error file, .LI list options,
// .PG .EJ new page, .TI title, .LM margin, .TW width) and the 8048 overlay's
// .OT/.CT table bracket are taken and place nothing.
constexpr std::array<DirectiveAlias, 36> kDirectives = {{
    {".ma", "macro"},    {".em", "endm"},     {".xm", "exitm"},
    {".cr", "cpu"},      {".tf", "ignore"},   {".or", "org"},      {".eq", "equ"},      {".se", "set"},
    {".db", "db"},       {".dw", "dw"},       {".da", "da_word"},  {".dr", "dr_word"},  {".dl", "dl_long"},
    {".as", "db"},       {".at", "at_str"},   {".az", "asciz"},    {".hs", "hex_str"},
    {".bs", "ds"},       {".no", "fill_to"},  {".in", "include"},  {".do", "if"},       {".el", "else"},
    {".fi", "endif"},    {".ec", "end"},      {".en", "end"},      {".li", "ignore"},   {".lf", "ignore"},
    {".sf", "ignore"},   {".ef", "ignore"},   {".pg", "ignore"},   {".ej", "ignore"},   {".ti", "ignore"},
    {".lm", "ignore"},   {".tw", "ignore"},   {".ot", "ignore"},   {".ct", "ignore"},
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
    c.star_location = true;  // jmp *
    c.two_letter_directives = true;
    c.directives = kDirectives;
    return c;
  }();
  return convention;
}

}  // namespace zorvin::asm48
