// Evaluates expressions of the extended dialect over a run of tokens: the
// binary operators of the source's convention at their ranks (+ - * / mod,
// & | ^, << >>, comparisons giving 1 or 0 and more), parentheses, unary
// minus, ~ and !, $, lo()/hi()/low()/high(), numbers, names and character
// constants.
// Arithmetic is 32-bit: a number or a result that does not fit 32 bits
// (signed or unsigned) is an error. Nesting depth is bounded.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "asm/ext/lexer.h"

namespace zorvin::asm48::ext {

// What the evaluator asks of the assembler.
class SymbolSource {
 public:
  virtual ~SymbolSource() = default;
  // Value of the name, or none when it is not (yet) defined.
  virtual std::optional<std::int32_t> value_of(std::string_view name) = 0;
  virtual std::int32_t location() const = 0;  // "$"
  // Number forms and operators of the source's convention.
  virtual const Convention& convention() const { return default_convention(); }
};

struct Evaluation {
  std::int32_t value = 0;
  std::string error;          // message text (" -> ..."), empty when fine
  std::string_view undefined;  // first name that had no value (it counts as 0), in the tokens' line
};

Evaluation evaluate(std::span<const Token> tokens, SymbolSource& symbols);

}  // namespace zorvin::asm48::ext
