// The macro assembler's convention (a `cpu 8048` line): Intel number forms,
// $1F besides them, C-like operator precedence, `!` as exclusive or between
// two values, ifdef/ifndef and the message directives.
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

}  // namespace

const Convention& macro_convention() {
  static const Convention convention = [] {
    Convention c;
    c.id = DialectId::Macro;
    c.name = "Makroassembler";
    c.option = "as";
    c.dollar_hex = true;
    c.bang_xor = true;
    c.bare_directive_words = true;
    c.directives = kDirectives;
    return c;
  }();
  return convention;
}

}  // namespace zorvin::asm48
