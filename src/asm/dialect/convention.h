// What sets one assembler convention apart from another: its number forms,
// its operators, its location counter, how it treats a value that does not
// fit a byte, and its directive words, as data. One shared engine (the
// extended dialect's passes) reads every convention but the plain one.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace zorvin::asm48 {

enum class DialectId { Plain, Macro, Asxxxx, Tasm, SbAsm, Intel };

// A convention's own word for something the engine knows: ".EQU" -> "equ".
struct DirectiveAlias {
  std::string_view word;    // folded, as the convention writes it
  std::string_view engine;  // the engine's word
};

// What a binary operator does, whatever a convention writes for it.
enum class BinaryOp : std::uint8_t {
  Or, Xor, And, LogicalOr, LogicalXor, LogicalAnd,
  Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual,
  ShiftLeft, ShiftRight, Add, Subtract, Multiply, Divide, Remainder, Power, Mirror,
};

// One binary operator of a convention: its text and its rank; a lower rank
// binds tighter, equal ranks go left to right. The words (mod, and, shl,
// eq, ...) take the rank of the first row of the same operation.
struct BinaryOperator {
  std::string_view text;
  BinaryOp op;
  int rank;
};

// One of a convention's error numbers and the start of the engine's text
// for it; a number may stand for several texts.
struct ErrorNumber {
  int number;
  std::string_view text;
};

struct Convention {
  DialectId id = DialectId::Macro;
  std::string_view name;    // shown: "TASM"
  std::string_view option;  // for --dialect and the settings: "tasm"
  // Number forms besides the suffixed ones (0FFh, 101b, 17q, 12d) and 0x..
  bool dollar_hex = false;      // $1F; "$" alone stays the location counter
  bool percent_binary = false;  // %0101; else % followed by hex digits is hexadecimal
  bool at_octal = false;        // @17
  bool prefix_radix = false;    // 0b0101, 0o17, 0q17, 0d12, 0h1F besides 0x1F
  bool zero_b_binary = false;   // 0b0101 (without the other radix prefixes)
  bool dotted_binary = false;   // %1010.0101: dots between binary digits are left out
  bool hex_escapes = false;     // "\x41" in quotes: the character of two hexadecimal digits
  bool leading_zero_octal = false;  // 017 is octal (C); 09 is then no number
  bool quoted_radix = false;    // x'1F', h'1F', o'17', b'0101' (IBM)
  bool local_dollar = false;    // 1$: labels local between two ordinary labels
  bool local_dot = false;       // .loop labels local to the last ordinary label
  // Location counter and operators.
  bool dot_location = false;    // "." alone
  bool star_location = false;   // "*" where a value stands
  bool byte_prefixes = false;   // unary < (low byte) and > (high byte)
  // The binary operators and their ranks.
  std::span<const BinaryOperator> operators;
  bool minus_as_binary = false;  // a leading minus binds like binary minus: -1&0Fh = -(1&0Fh)
  bool logical_pairs = false;    // ~~ (logical not), !! and >< are operators of two characters
  bool hash_in_expression = false;  // #4 + #5: "#" before a term only marks it as immediate
  // ~ and the byte selectors # (bits 0-7), / (8-15), = (16-23) and \ (24-31)
  // in front of an expression take the whole expression, and mark an
  // operand as immediate as "#" does.
  bool whole_prefixes = false;
  bool unsigned_values = false;  // comparisons, / and remainder on unsigned 32-bit values
  bool true_is_minus_one = false;  // comparisons give -1 / 0
  bool word_relations = false;  // EQ NE LT LE GT GE
  bool bare_high_low = false;   // HIGH x, LOW x without parentheses
  bool quote_once_char = false;  // 'c without a closing quote
  bool double_quote_high = false;  // "c" or "c: the character with bit 7 set
  bool doubled_quotes = false;  // 'IT''S': a quote written twice inside quotes is one quote
  bool numbered_macros = false;  // .ma NAME ... .em with ]1..]9, called as >NAME args
  bool hash_words = false;      // #define, #include, #if at the start of a line
  bool dollar_controls = false; // $INCLUDE(file), $MOD48 and other control lines
  // Fields end at blanks: what follows the operand field is a comment even
  // without ";" (and an expression holds no blank outside quotes); "*" in
  // column 1 starts a comment line; .AS/.AZ strings stand between any two
  // equal characters, with #value items among them.
  bool comment_after_operands = false;
  // A value too large for a byte: its low byte with a warning, as the
  // convention's assembler does; otherwise an error.
  bool low_byte_of_wide = false;
  bool bare_directive_words = false;  // directive words not starting with "." or "#"
  // An operand that is no register, where the instruction takes an
  // immediate, is read as one without "#" (mov a,12) in every convention;
  // this says the convention's assembler documents it, so no warning is
  // due. Intel's ASM48, TASM's 8048 table, ASxxxx's as8048 and the
  // SB-Assembler all write immediate data with "#": none of the
  // conventions here sets it.
  bool bare_immediates = false;
  // A value followed, after blanks, by another value with no operator
  // between ends the operand field: the rest is a comment without ";"
  // (Intel's ASM48 and disassembler listings: "DB 06H   06 ?.").
  bool comment_after_value = false;
  // Only the first two letters after the dot name a directive in the
  // instruction field (SB-Assembler: ".MACRO" is ".MA").
  bool two_letter_directives = false;
  // A name that stands for the location counter (asm48's ".here"), or empty.
  std::string_view location_word;
  std::span<const DirectiveAlias> directives;
  // A long jmp or call into the other 2 KiB bank gets a sel mb0/mb1 put in
  // front of it unless the source says which bank is selected (assume mb:0).
  bool inserts_bank_select = false;
  // The convention's assembler's own numbers for the engine's messages, for
  // "expect 1010": a message counts as the number when its text starts so.
  std::span<const ErrorNumber> error_numbers;
};

}  // namespace zorvin::asm48
