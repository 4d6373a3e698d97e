// The macro assembler's convention (a `cpu 8048` line): Intel number forms,
// $1F, %0101, 0b0101 and @17 besides them, "\x41" in quotes, its own
// operator ranks (^ is the power, # the remainder, ! exclusive or, ~~ !!
// logical not and exclusive or, >< mirrors bits; a leading minus binds like
// binary minus), ifdef/ifndef and the message directives.
#include <array>

#include "asm/dialect/dialects.h"

namespace zorvin::asm48 {

namespace {

constexpr std::array<DirectiveAlias, 9> kDirectives = {{
    {".equ", "equ"},  // the dot forms other assemblers write
    {".set", "set"},
    {"relaxed", "ignore"},
    {"fatal", "fatal"},
    {"error", "error"},
    {"warning", "warning"},
    {"message", "message"},
    {"ifdef", "ifdef"},
    {"ifndef", "ifndef"},
}};

// The ranks of its manual's operator table (a lower rank binds tighter);
// ~ (rank 1) and ~~ (rank 2) stand in front of a value. % stays the
// remainder, as the engine reads it.
constexpr std::array<BinaryOperator, 24> kOperators = {{
    {"<<", BinaryOp::ShiftLeft, 3},   {">>", BinaryOp::ShiftRight, 3},   {"><", BinaryOp::Mirror, 4},
    {"&", BinaryOp::And, 5},          {"|", BinaryOp::Or, 6},            {"!", BinaryOp::Xor, 7},
    {"^", BinaryOp::Power, 8},        {"*", BinaryOp::Multiply, 9},      {"/", BinaryOp::Divide, 9},
    {"#", BinaryOp::Remainder, 9},    {"%", BinaryOp::Remainder, 9},     {"+", BinaryOp::Add, 10},
    {"-", BinaryOp::Subtract, 10},    {"&&", BinaryOp::LogicalAnd, 11},  {"||", BinaryOp::LogicalOr, 12},
    {"!!", BinaryOp::LogicalXor, 13}, {"=", BinaryOp::Equal, 14},        {"==", BinaryOp::Equal, 14},
    {"<>", BinaryOp::NotEqual, 14},   {"!=", BinaryOp::NotEqual, 14},    {"<", BinaryOp::Less, 14},
    {"<=", BinaryOp::LessEqual, 14},  {">", BinaryOp::Greater, 14},      {">=", BinaryOp::GreaterEqual, 14},
}};

}  // namespace

const Convention& macro_convention() {
  static const Convention convention = [] {
    Convention c;
    c.id = DialectId::Macro;
    c.name = "Makroassembler";
    c.option = "as";
    c.dollar_hex = true;
    c.percent_binary = true;
    c.at_octal = true;
    c.zero_b_binary = true;
    c.hex_escapes = true;
    c.operators = kOperators;
    c.minus_as_binary = true;
    c.logical_pairs = true;
    c.bare_directive_words = true;
    c.directives = kDirectives;
    return c;
  }();
  return convention;
}

}  // namespace zorvin::asm48
