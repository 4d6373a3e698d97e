// Each convention's operators, ranks and number forms as its assembler's
// manual gives them: expression and value, one table per convention.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "asm/dialect/dialects.h"
#include "asm/ext/expression.h"
#include "asm/ext/lexer.h"

namespace zorvin::asm48::ext {
namespace {

class Symbols : public SymbolSource {
 public:
  explicit Symbols(const Convention& rules) : rules_(rules) {}
  std::optional<std::int32_t> value_of(std::string_view name) override {
    if (name == "x") return 0;
    return std::nullopt;
  }
  std::int32_t location() const override { return 0x100; }
  const Convention& convention() const override { return rules_; }

 private:
  const Convention& rules_;
};

struct Case {
  const char* expression;
  std::int64_t value;  // the 32 bits of the result; kError: an error
};
constexpr std::int64_t kError = INT64_MIN;

void check(const Convention& rules, std::span<const Case> cases) {
  for (const Case& c : cases) {
    const TokenLine line = tokenize(c.expression, rules);
    Symbols symbols(rules);
    const Evaluation e = evaluate(line.tokens, symbols);
    if (c.value == kError) {
      EXPECT_FALSE(e.error.empty()) << rules.name << ": " << c.expression << " gave " << e.value;
      continue;
    }
    EXPECT_EQ(e.error, "") << rules.name << ": " << c.expression;
    EXPECT_EQ(static_cast<std::uint32_t>(e.value), static_cast<std::uint32_t>(c.value))
        << rules.name << ": " << c.expression;
  }
}

// The macro assembler's manual: ranks 1 (~) to 14 (comparisons), a lower
// rank binding tighter; a leading minus has the rank of binary minus.
TEST(ConventionOperators, MacroAssemblerRanksAsItsManual) {
  const Case cases[] = {
      {"~~0Ch", 0},         {"~~0", 1},            {"98!!115", 0},        {"0!!5", 1},
      {"2^3", 8},           {"2^0", 1},            {"3^2*2", 18},         {"2^40", kError},
      {"2^-1", kError},     {"(-1)^3", -1},        {"4+6&3", 6},          {"1<<2*3", 12},
      {"(8<<x+5Bh)&0FFh", 0x63}, {"-1&0Fh", -1},   {"-2*3", -6},          {"-1+2", 1},
      {"7#4", 3},           {"7 mod 4", 3},        {"1101b><4", 0x0B},    {"0F1h><4", 0xF8},
      {"1><0", kError},     {"6!3", 5},            {"6|1&2", 6},          {"1|2!3", 0},
      {"3&&0||1", 1},       {"1=1!!1", 0},         {"2<3", 1},            {"~0", -1},
      {"%0101", 5},         {"0b101", 5},          {"@17", 15},           {"$1F", 0x1F},
      {"0FFh", 0xFF},       {"1010b", 10},         {"17q", 15},           {"'A'+1", 0x42},
      {"\"\\x41\"", 0x41},  {"0xFFFFFFFF", -1},    {"1 shl 3", 8},        {"7 xor 2", 5},
  };
  check(macro_convention(), cases);
}

// asm48: C's ranks (&& and || below |), %0101 binary, "#" before a term.
TEST(ConventionOperators, Asm48FollowsC) {
  const Case cases[] = {
      {"14 && 0b1101 | 0xD8", 1}, {"0 || 2 & 3", 1}, {"1 | 2 ^ 3", 1},   {"2 + 3 * 4", 14},
      {"1 << 2 + 1", 8},          {"6 & 3 == 3", 0}, {"%1111", 15},      {"0b101", 5},
      {"0o17", 15},               {"0x1F", 0x1F},    {"$1F", 0x1F},      {"4 + #5", 9},
      {"#4 + #5 << 3", 0x48},     {"'A", 0x41},      {"<1234h", 0x34},   {">1234h", 0x12},
      {"-1", -1},                 {"7 % 4", 3},
  };
  check(asxxxx_convention(), cases);
}

// SB-Assembler: left to right on unsigned 32-bit values, true = 0FFFFFFFFh,
// ~ and the byte selectors # / = \ over the whole expression.
TEST(ConventionOperators, SbAssemblerReadsLeftToRight) {
  const Case cases[] = {
      {"2+3*4", 20},         {"2<3>5", -1},          {"2<3\\7", 3},          {"3<2", 0},
      {"~1+1", -3},          {"/$1234+$100", 0x13},  {"=$123456", 0x12},     {"\\$12345678", 0x12},
      {"#$1234", 0x34},      {"-1/2", 0x7FFFFFFF},   {"6!3", 5},             {"4^1", 5},
      {"0b0101", 5},         {"@17", 15},            {"%1010.0101", 0xA5},   {"%1010.", kError},
      {"'A+1", 0x42},        {"\"A\"", 0xC1},        {"\"B", 0xC2},          {"'a'", 0x61},
      {"$FF&$0F", 0x0F},     {"10\\3", 1},           {"~0", -1},
  };
  check(sbasm_convention(), cases);
}

// TASM and Intel keep the engine's readings: left to right, and C-like.
TEST(ConventionOperators, TasmAndIntelKeepTheirReadings) {
  const Case tasm[] = {{"2+3*4", 20}, {"%0101", 5}, {"@17", 15}, {"1+2<<1", 6}, {"0FFh^0Fh", 0xF0}};
  check(tasm_convention(), tasm);
  const Case intel[] = {{"2+3*4", 14}, {"5 EQ 5", -1}, {"0FFH AND 0FH", 0x0F}, {"HIGH 1234H", 0x12},
                        {"2 = 2 AND 1", 1}};
  check(intel_convention(), intel);
}

}  // namespace
}  // namespace zorvin::asm48::ext
