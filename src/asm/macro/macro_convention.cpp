// The macro assembler's convention (a `cpu 8048` line): Intel number forms,
// $1F, %0101, 0b0101 and @17 besides them, "\x41" in quotes, its own
// operator ranks (^ is the power, # the remainder, ! exclusive or, ~~ !!
// logical not and exclusive or, >< mirrors bits; a leading minus binds like
// binary minus), ifdef/ifndef and the message directives.
#include <array>

#include "asm/diagnostics.h"
#include "asm/dialect/dialects.h"
#include "asm/ext/messages.h"

namespace zorvin::asm48 {

namespace {

constexpr std::array<DirectiveAlias, 17> kDirectives = {{
    {".equ", "equ"},  // the dot forms other assemblers write
    {".set", "set"},
    {"relaxed", "num_fmt"},
    {"assume", "mb_bank"},
    {"expect", "exp_err"},
    {"endexpect", "exp_end"},
    {"dd", "dl_long"},  // 32 bits, lowest byte first
    {"dn", "dn_nib"},
    {"dq", "dq_quad"},
    {"dt", "dt_bcd"},
    {"do", "do_flt"},
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

// Its manual's message numbers for the engine's texts, for expect: each
// number with the texts that come nearest to what it means there.
constexpr std::array<ErrorNumber, 22> kErrorNumbers = {{
    {110, ext::kOtherBank},              // page might not be addressable
    {110, ext::kNotAssumedBank},
    {250, ext::kAcrossBankEnd},          // instruction crosses page boundary
    {260, ext::kLowByteTaken},           // range overflow (a warning there)
    {1000, ext::kSymbolTwice},           // symbol double defined
    {1010, ext::kUndefinedSymbol},       // symbol undefined
    {1110, kParameterError},             // wrong number of operands
    {1200, ext::kNotAnInstruction},      // unknown instruction
    {1200, kSyntaxError},
    {1300, ext::kBadExpression},         // number of opening/closing brackets does not match
    {1310, ext::kDivisionByZero},        // division by 0
    {1315, kValueOutOfRange},            // range underflow
    {1320, kValueOutOfRange},            // range overflow
    {1331, kTargetOffPage},              // target not on same page
    {1350, kParameterError},             // addressing mode not allowed here
    {1370, kTargetOutOfRange},           // jump distance too big
    {1430, ext::kUnknownCpu},            // invalid CPU type
    {1470, ext::kEndifMissing},          // missing ENDIF
    {1500, ext::kNotOnPart},             // instruction not allowed on
    {1500, ext::kNotOnUpi},
    {1500, ext::kOnlyOnUpi},
    {1520, ext::kOnOrOff},               // only ON/OFF allowed
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
    c.inserts_bank_select = true;
    c.error_numbers = kErrorNumbers;
    return c;
  }();
  return convention;
}

}  // namespace zorvin::asm48
