// SB-Assembler's convention (a `.cr 8048` line): two-letter dot directives,
// $1F hexadecimal, %0101 (dots between the digits left out) and 0b0101
// binary, @17 octal, 'A and "A" (bit 7 set) characters, .name labels local
// to the last ordinary label, expressions read left to right on unsigned
// 32-bit values with `\` as remainder, `^` and `|` as or, `!` as exclusive
// or and comparisons giving 0FFFFFFFFh; ~ in front inverts the whole
// expression, and # / = \ in front take its byte 0, 1, 2 or 3. A value too large for a byte is cut to its low byte,
// with a warning. Fields end at blanks: text after the operand field is a
// comment, with or without ";".
#include <array>

#include "asm/dialect/dialects.h"

namespace zorvin::asm48 {

namespace {

// .TF names the file the program goes to and .LI ON/OFF leaves lines out
// of the listing; the other directives that only steer the listing or the
// output files (.LF listing file, .SF symbol file, .EF error file, .PG .EJ
// new page, .TI title, .LM margin, .TW width) and the 8048 overlay's
// .OT/.CT table bracket are taken and place nothing.
constexpr std::array<DirectiveAlias, 36> kDirectives = {{
    {".ma", "macro"},    {".em", "endm"},     {".xm", "exitm"},
    {".cr", "cpu"},      {".tf", "tf_name"},   {".or", "org"},      {".eq", "equ"},      {".se", "set"},
    {".db", "db"},       {".dw", "dw"},       {".da", "da_word"},  {".dr", "dr_word"},  {".dl", "dl_long"},
    {".as", "db"},       {".at", "at_str"},   {".az", "asciz"},    {".hs", "hex_str"},
    {".bs", "ds"},       {".no", "fill_to"},  {".in", "include"},  {".do", "if"},       {".el", "else"},
    {".fi", "endif"},    {".ec", "end"},      {".en", "end"},      {".li", "li_sw"},   {".lf", "ignore"},
    {".sf", "ignore"},   {".ef", "ignore"},   {".pg", "ignore"},   {".ej", "ignore"},   {".ti", "ignore"},
    {".lm", "ignore"},   {".tw", "ignore"},   {".ot", "ignore"},   {".ct", "ignore"},
}};

constexpr std::array<BinaryOperator, 22> kOperators = {{
    {"+", BinaryOp::Add, 1},        {"-", BinaryOp::Subtract, 1},     {"*", BinaryOp::Multiply, 1},
    {"/", BinaryOp::Divide, 1},     {"\\", BinaryOp::Remainder, 1},   {"%", BinaryOp::Remainder, 1},
    {"&", BinaryOp::And, 1},        {"|", BinaryOp::Or, 1},           {"^", BinaryOp::Or, 1},
    {"!", BinaryOp::Xor, 1},        {"<<", BinaryOp::ShiftLeft, 1},   {">>", BinaryOp::ShiftRight, 1},
    {"<", BinaryOp::Less, 1},       {"<=", BinaryOp::LessEqual, 1},   {">", BinaryOp::Greater, 1},
    {">=", BinaryOp::GreaterEqual, 1}, {"=", BinaryOp::Equal, 1},     {"==", BinaryOp::Equal, 1},
    {"<>", BinaryOp::NotEqual, 1},  {"!=", BinaryOp::NotEqual, 1},    {"&&", BinaryOp::LogicalAnd, 1},
    {"||", BinaryOp::LogicalOr, 1},
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
    c.at_octal = true;
    c.zero_b_binary = true;
    c.dotted_binary = true;
    c.quote_once_char = true;
    c.double_quote_high = true;
    c.whole_prefixes = true;
    c.unsigned_values = true;
    c.numbered_macros = true;
    c.operators = kOperators;
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
